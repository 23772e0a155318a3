#pragma once

#include "PanelBackground.h"
#include "StatusLine.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class WydenzaAudioProcessor;
class WydenzaAudioProcessorEditor;
class ParameterSet;
class ProportionalLayout;
class ChoiceGroup;
class CvxRotarySlider;
class CvxPresetNameLabel;
class CvxQ7StereoVuMeterComponent;
class StereoComponent;
class ManagePresetsComponent;
class InfoComponent;

/**
    The panel that fills the editor: every control, bound to its parameter by name, the meters, the
    stereo field, the preset and channel names and the status line. User changes go to the processor
    through its editor path (one undo step per click or drag); parameter changes come back through
    parameterChanged without notifications, so they never write back. Message thread only.
*/
class MainEditorComponent : public juce::Component,
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
    // Settings menu, save dialog and info screen.
    enum MenuItem
    {
        resizeToDefaultItem = 1,
        showInfoItem = 2,
        classicDarkItem = 3,
        brightEyesItem = 4,
        saveAsItem = 5,
        revealFolderItem = 6,
        firstFactoryPresetItem = 100,
        firstUserPresetItem = 200,
        titleItem = -1
    };

    /** The settings menu as it stands now: built afresh from the processor's state at every opening. */
    juce::PopupMenu buildSettingsMenu();
    void showSettingsMenu();
    /** Carries out a menu result (0 when the menu was dismissed). */
    void settingsMenuFinished (int result);
    bool isMenuOpen() const noexcept { return menuOpen; }
    /** Closes an open settings menu once the mouse has been away from it for a second. */
    void checkMenuWatchdog (juce::Time now);
    static bool isMouseOverPopupMenu();

    void resizeToDefault();
    void openSaveDialog();
    /** The dialog's SAVE or Return: saves the named user preset and reports the outcome. */
    void presetSaved();
    void presetSaveCancelled();
    bool isSaveDialogOpen() const noexcept { return saveDialogOpen; }
    void showInfoScreen();

    ManagePresetsComponent& getSaveDialog() noexcept { return *saveDialog; }
    InfoComponent& getInfoScreen() noexcept { return *infoScreen; }

    static constexpr const char* savedMessage = "SAVE: OK, user preset was saved !";
    static constexpr const char* saveFailedMessage = "SAVE: ERROR, user preset could not be saved !!!";
    static constexpr const char* saveCancelledMessage = "CANCEL: preset was NOT saved ...";

    //==============================================================================
    CvxQ7StereoVuMeterComponent& getInputMeter() noexcept { return *inputMeter; }
    CvxQ7StereoVuMeterComponent& getOutputMeter() noexcept { return *outputMeter; }
    StereoComponent& getStereoField() noexcept { return *stereoField; }

    bool isResizing() const noexcept { return resizing; }
    bool isExpertMode() const noexcept { return expertModeOn; }
    float getSchemeBrightness() const noexcept { return schemeBrightness; }
    const juce::String& getTitleText() const noexcept { return titleText; }

    /** The background drawn afresh on every paint, for comparing with the kept copy. */
    void setBackgroundCacheEnabled (bool shouldCache) noexcept { backgroundCacheEnabled = shouldCache; }

    static constexpr int timerIntervalMs = 500;

private:
    void sliderValueChanged (juce::Slider*) override;
    void sliderDragStarted (juce::Slider*) override;
    void sliderDragEnded (juce::Slider*) override;
    void buttonClicked (juce::Button*) override;
    void labelTextChanged (juce::Label*) override;
    void editorShown (juce::Label*, juce::TextEditor&) override;
    void timerCallback() override;

    juce::TextButton& addPanelButton (std::unique_ptr<juce::TextButton>& button, const juce::String& text, const juce::String& tooltip, float x, float y, float w, float h, juce::uint8 anchor);
    juce::DrawableButton& addIconButton (std::unique_ptr<juce::DrawableButton>& button, const juce::String& name, const juce::Drawable& icon, const juce::String& tooltip);
    CvxRotarySlider& addPanelSlider (std::unique_ptr<CvxRotarySlider>& slider, const juce::String& parameterName, bool textBoxBelow, const juce::String& tooltip);
    void styleValueLabel (juce::Label&, juce::Justification);
    void styleEditableLabel (juce::Label&);

    void updateStereoWidthLabel (float value);
    void updatePanLabel (float value);
    void showGainValue (juce::Slider&, float value);
    void updateModeButtons();
    void setSafeBassTextBox();
    void closeSaveDialog();
    juce::String parameterText (int parameterIndex, float value) const;
    int parameterIndexOf (const juce::Slider*) const noexcept;

    void paintContent (juce::Graphics&);
    void paintNotReadyWarning (juce::Graphics&);
    void drawPanelBox (juce::Graphics&, float x, float y, float w, float h, juce::Colour, bool gradient) const;

    WydenzaAudioProcessor& processor;
    WydenzaAudioProcessorEditor& editor;
    ParameterSet& parameters;
    ProportionalLayout& layout;

    juce::String titleText;
    float schemeBrightness = 0.3f;
    juce::Colour panelBoxColour;
    juce::String stereoWidthTooltip;
    float stereoWidthValue = 0.5f, safeBassFreqValue = 0.0f;
    bool contentReady = false, resizing = false, saveDialogOpen = false, bypassOn = false, muteAllOn = false;
    bool safeBassOn = false, monoOn = false, expertModeOn = false, channelNameSet = false, menuOpen = false;
    juce::Time menuCheckTime;
    float displayHeight = 1080.0f, logoScaleRatio = 1.0f;
    bool backgroundCacheEnabled = true;
    PanelBackground background;

    std::unique_ptr<juce::Font> regularFont;
    std::unique_ptr<juce::Drawable> partnerLogo, makerLogo, undoIcon, redoIcon, settingsIcon, nextIcon, previousIcon;

    std::unique_ptr<juce::DrawableButton> settingsButton;
    std::unique_ptr<juce::Label> titleLabel, bottomInfoLabel, channelNameLabel;
    std::unique_ptr<CvxPresetNameLabel> presetNameLabel;
    std::unique_ptr<juce::TextButton> muteAllButton, bypassButton, safeBassButton, swapButton, phaseFlipButton, monoButton;
    std::unique_ptr<juce::TextButton> muteMidButton, muteSideButton, easyModeButton, expertModeButton, saveButton;
    std::unique_ptr<ChoiceGroup> panLawGroup, panCurveGroup, msModeGroup, panModeGroup;
    std::unique_ptr<CvxQ7StereoVuMeterComponent> inputMeter, outputMeter;
    std::unique_ptr<CvxRotarySlider> stereoWidthSlider, panSlider, inputGainSlider, outputGainSlider, safeBassFreqSlider;
    std::unique_ptr<juce::Label> stereoWidthLabel, panLabel;
    std::unique_ptr<StereoComponent> stereoField;
    std::unique_ptr<juce::DrawableButton> undoButton, redoButton, nextButton, previousButton;
    std::unique_ptr<ManagePresetsComponent> saveDialog;
    std::unique_ptr<InfoComponent> infoScreen;

    std::unique_ptr<StatusLine> statusLine;

    struct Indices
    {
        int bypass, width, pan, inputGain, outputGain, swap, flip, mono, muteAll, muteMid, muteSide;
        int panCurve, panLaw, msMode, panMode, safeBassFreq, safeBass;
    } index {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainEditorComponent)
};
