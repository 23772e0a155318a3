#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class WydenzaAudioProcessor;
class MainEditorComponent;
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
    Every child of the main panel, made with its name, text, tooltip and colours, added to the panel
    in this order (which is also the order front to back), given a layout entry or placed by place().
    The panel listens to the controls and decides what they do; this only builds and styles them.
    Members are declared in order of creation, so they go in reverse order.
*/
class MainPanelControls
{
public:
    struct Listeners
    {
        juce::Button::Listener& button;
        juce::Slider::Listener& slider;
        juce::Label::Listener& label;
    };

    /** The font, the layout and the panel must outlive the controls. */
    MainPanelControls (MainEditorComponent& panel, WydenzaAudioProcessor&, ProportionalLayout&, juce::Font& regularFont, Listeners);
    ~MainPanelControls();

    /** Colours the buttons and knobs for a colour scheme brightness. */
    void applyColourScheme (float brightness);

    /** Places every child for a panel of the given size in pixels, the layout's entries too, and sets
        the panel font's height. The SafeBassFreq knob's text box is left to the panel. */
    void place (int width, int height);

    /** Shows the children by tiers, each of which needs the one before: content (the stereo field,
        meters and channel name), active (BYPASS, UNDO, REDO, the settings button; the channel name
        editable), unbypassed (MUTE ALL, the input gain), unmuted (every other control). */
    void showTiers (bool content, bool active, bool unbypassed, bool unmuted);

    /** Shows the four choice groups of the expert mode, or hides them. */
    void showChoiceGroups (bool shown);

    /** Sizes a knob's text box for a panel of the given size in pixels. */
    static void setTextBoxBelow (juce::Slider&, bool readOnly, int panelWidth, int panelHeight);

    std::unique_ptr<juce::Drawable> undoIcon, redoIcon, settingsIcon, nextIcon, previousIcon;

    std::unique_ptr<juce::DrawableButton> settingsButton;
    std::unique_ptr<juce::Label> titleLabel, bottomInfoLabel, channelNameLabel;
    std::unique_ptr<CvxPresetNameLabel> presetNameLabel;
    std::unique_ptr<juce::TextButton> muteAllButton, bypassButton, safeBassButton, swapButton, phaseFlipButton, monoButton;
    std::unique_ptr<juce::TextButton> muteMidButton, muteSideButton, easyModeButton, expertModeButton, saveButton;
    std::unique_ptr<ChoiceGroup> panLawGroup, panCurveGroup, msModeGroup, panModeGroup;
    std::unique_ptr<CvxQ7StereoVuMeterComponent> inputMeter, outputMeter;
    std::unique_ptr<CvxRotarySlider> stereoWidthSlider, panSlider, inputGainSlider, outputGainSlider, safeBassFreqSlider;
    std::unique_ptr<StereoComponent> stereoField;
    std::unique_ptr<juce::Label> stereoWidthLabel, panLabel;
    std::unique_ptr<juce::DrawableButton> undoButton, redoButton, nextButton, previousButton;
    std::unique_ptr<ManagePresetsComponent> saveDialog;
    std::unique_ptr<InfoComponent> infoScreen;

private:
    void addPanelButton (std::unique_ptr<juce::TextButton>& button, const juce::String& text, const juce::String& tooltip, float x, float y, float w, float h, juce::uint8 anchor);
    void addIconButton (std::unique_ptr<juce::DrawableButton>& button, const juce::String& name, const juce::Drawable& icon, const juce::String& tooltip);
    void addPanelSlider (std::unique_ptr<CvxRotarySlider>& slider, const juce::String& parameterName, bool textBoxBelow, const juce::String& tooltip);
    void addValueLabel (std::unique_ptr<juce::Label>& label, const juce::String& name, const juce::String& parameterName, juce::Justification, const juce::String& tooltip);
    static void styleEditableLabel (juce::Label&);

    MainEditorComponent& panel;
    ParameterSet& parameters;
    ProportionalLayout& layout;
    juce::Font& regularFont;
    Listeners listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainPanelControls)
};
