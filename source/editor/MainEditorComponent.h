#pragma once

#include "SettingsMenu.h"
#include "StatusLine.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

class WydenzaAudioProcessor;
class WydenzaAudioProcessorEditor;
class ParameterSet;
class ProportionalLayout;
class ChoiceGroup;
class MainPanelControls;
class MainPanelArtwork;
class CvxQ7StereoVuMeterComponent;
class StereoComponent;
class ManagePresetsComponent;
class InfoComponent;

/**
    The panel that fills the editor: every control bound to its parameter by name, the meters, the
    stereo field, the preset and channel names and the status line. User changes go to the processor
    through its editor path (one undo step per click or drag); parameter changes come back through
    parameterChanged without notifications, so they never write back. The children are made and
    styled by MainPanelControls, what lies behind them is painted by MainPanelArtwork, and the
    settings menu is a SettingsMenu; this class decides what the controls do. Message thread only.
*/
class MainEditorComponent : public juce::Component,
                            public SettingsMenuItems,
                            private juce::Slider::Listener,
                            private juce::Button::Listener,
                            private juce::Label::Listener,
                            private juce::Timer
{
public:
    MainEditorComponent (WydenzaAudioProcessor&, WydenzaAudioProcessorEditor&);
    ~MainEditorComponent() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;

    //==============================================================================
    /** Shows a parameter's value on its controls. */
    void parameterChanged (int parameterIndex, float value);
    void refreshAllParameters();
    void setUndoRedoEnabled (bool canUndo, bool canRedo);
    void updatePresetName();
    void setChannelName (const juce::String& name);
    void setExpertMode (bool expert);
    void setColourScheme (float brightness);
    void updateVisibility();
    void setContentReady() noexcept { contentReady = true; }

    void setBypassState (bool on);
    void setMuteAllState (bool on);
    void setSafeBassState (bool on);
    void setMonoState (bool on);

    //==============================================================================
    // Status line.
    void setStatusText (const juce::String& text, bool important);
    /** Expires old status texts; the panel's timer calls this every 500 ms with the current time. */
    void checkStatusExpiry (juce::Time now);
    void resizeStarted();
    void resizeFinished();
    StatusLine& getStatusLine() noexcept { return *statusLine; }

    //==============================================================================
    // Settings menu (its ids are SettingsMenuItems'), save dialog and info screen.
    /** The settings menu as it stands now: built afresh from the processor's state at every opening. */
    juce::PopupMenu buildSettingsMenu() const { return settingsMenu->build(); }
    void showSettingsMenu();
    /** Carries out a menu result (0 when the menu was dismissed). */
    void settingsMenuFinished (int result) { settingsMenu->perform (result); }
    bool isMenuOpen() const noexcept { return settingsMenu->isOpen(); }
    /** Closes an open settings menu once the mouse has been away from it for a second. */
    void checkMenuWatchdog (juce::Time now) { settingsMenu->checkWatchdog (now); }

    void resizeToDefault();
    void openSaveDialog();
    /** The dialog's SAVE or Return: saves the named user preset and reports the outcome. */
    void presetSaved();
    void presetSaveCancelled();
    bool isSaveDialogOpen() const noexcept { return saveDialogOpen; }
    void showInfoScreen();

    ManagePresetsComponent& getSaveDialog() noexcept;
    InfoComponent& getInfoScreen() noexcept;

    static constexpr const char* savedMessage = "SAVE: OK, user preset was saved !";
    static constexpr const char* saveFailedMessage = "SAVE: ERROR, user preset could not be saved !!!";
    static constexpr const char* saveCancelledMessage = "CANCEL: preset was NOT saved ...";
    static constexpr const char* stereoWidthTooltip = "STEREO WIDTH: Use slider below or double-click here to enter a value...";

    //==============================================================================
    CvxQ7StereoVuMeterComponent& getInputMeter() noexcept;
    CvxQ7StereoVuMeterComponent& getOutputMeter() noexcept;
    StereoComponent& getStereoField() noexcept;

    bool isResizing() const noexcept { return resizing; }
    bool isExpertMode() const noexcept { return expertModeOn; }
    float getSchemeBrightness() const noexcept { return schemeBrightness; }
    const juce::String& getTitleText() const noexcept { return titleText; }

    /** The background drawn afresh on every paint, for comparing with the kept copy. */
    void setBackgroundCacheEnabled (bool shouldCache) noexcept;

    static constexpr int timerIntervalMs = 500;

private:
    /**
        One row per parameter: the control that shows it and how. parameterChanged, the slider and
        button callbacks and refreshAllParameters walk these rows. A switch may change more than its
        button (switchEffect); a knob's value may show beyond the knob (showValue, replacing the plain
        knob-and-text-box update) and a user's move may be followed (followMove).
    */
    struct Binding
    {
        enum class Control
        {
            onOffSwitch, // a toggling TextButton: on above 0.5, writes 1 or 0
            choiceGroup, // a radio group of toggles: 0.0, 0.1, 0.2
            knob // a CvxRotarySlider, 0 to 1
        };

        using SwitchEffect = void (MainEditorComponent::*) (bool);
        using ValueEffect = void (MainEditorComponent::*) (float);

        static Binding onOffSwitch (const char* name, juce::Button& b, SwitchEffect effect = nullptr)
        {
            return { name, Control::onOffSwitch, &b, nullptr, nullptr, effect, nullptr, nullptr, -1 };
        }

        static Binding choice (const char* name, ChoiceGroup& group)
        {
            return { name, Control::choiceGroup, nullptr, &group, nullptr, nullptr, nullptr, nullptr, -1 };
        }

        static Binding knob (const char* name, juce::Slider& slider, ValueEffect showValue = nullptr, ValueEffect followMove = nullptr)
        {
            return { name, Control::knob, nullptr, nullptr, &slider, nullptr, showValue, followMove, -1 };
        }

        juce::String parameterName;
        Control control;
        juce::Button* button;
        ChoiceGroup* group;
        juce::Slider* slider;
        SwitchEffect switchEffect;
        ValueEffect showValue, followMove;
        int index;
    };

    void makeBindings();
    const Binding* bindingFor (int parameterIndex) const noexcept;
    const Binding* bindingFor (const juce::Slider*) const noexcept;

    // What a binding does beyond its control.
    void showStereoWidth (float value);
    void showPan (float value);
    void showSafeBassFrequency (float value);
    void rememberSafeBassFrequency (float value);
    void updateStereoWidthLabel (float value);
    void updatePanLabel (float value);
    static void showKnobValue (juce::Slider&, float value);

    void sliderValueChanged (juce::Slider*) override;
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;
    void labelTextChanged (juce::Label*) override;
    void editorShown (juce::Label*, juce::TextEditor&) override;
    void timerCallback() override;

    void updateModeButtons();
    void setSafeBassTextBox();
    void closeSaveDialog();
    juce::String parameterText (int parameterIndex, float value) const;

    WydenzaAudioProcessor& processor;
    WydenzaAudioProcessorEditor& editor;
    ParameterSet& parameters;
    ProportionalLayout& layout;

    juce::String titleText;
    float schemeBrightness = 0.3f;
    juce::Colour panelBoxColour;
    float stereoWidthValue = 0.5f, safeBassFreqValue = 0.0f;
    bool contentReady = false, resizing = false, saveDialogOpen = false, bypassOn = false, muteAllOn = false;
    bool safeBassOn = false, monoOn = false, expertModeOn = false, channelNameSet = false;

    std::unique_ptr<juce::Font> regularFont;
    std::unique_ptr<MainPanelArtwork> artwork;
    std::unique_ptr<MainPanelControls> controls;
    std::unique_ptr<StatusLine> statusLine;
    std::unique_ptr<SettingsMenu> settingsMenu;
    std::vector<Binding> bindings;
    int widthIndex = -1, panIndex = -1;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainEditorComponent)
};
