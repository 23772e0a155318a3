#include "MainPanelControls.h"

#include "BinaryData.h"
#include "ChoiceGroup.h"
#include "MainEditorComponent.h"
#include "ManagePresetsComponent.h"
#include "ProportionalLayout.h"
#include "presets/PresetNameCharacters.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/CvxPresetNameLabel.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/CvxRotarySlider.h"
#include "widgets/InfoComponent.h"
#include "widgets/Palette.h"
#include "widgets/StereoComponent.h"

namespace
{
std::unique_ptr<juce::Drawable> loadDrawable (const char* data, int size)
{
    return juce::Drawable::createFromImageData (data, (size_t) size);
}
} // namespace

MainPanelControls::MainPanelControls (MainEditorComponent& panelToUse, WydenzaAudioProcessor& processor, ProportionalLayout& layoutToUse, juce::Font& regularFontToUse, Listeners listenersToUse)
    : panel (panelToUse),
      parameters (processor.getParameterSet()),
      layout (layoutToUse),
      regularFont (regularFontToUse),
      listeners (listenersToUse)
{
    undoIcon = loadDrawable (BinaryData::UndoCurvedArrow_svg, BinaryData::UndoCurvedArrow_svgSize);
    redoIcon = loadDrawable (BinaryData::RedoCurvedArrow_svg, BinaryData::RedoCurvedArrow_svgSize);
    settingsIcon = loadDrawable (BinaryData::DropDownArrow_svg, BinaryData::DropDownArrow_svgSize);
    nextIcon = loadDrawable (BinaryData::PlayButton_svg, BinaryData::PlayButton_svgSize);
    previousIcon = loadDrawable (BinaryData::PlayButtonRotated180_svg, BinaryData::PlayButtonRotated180_svgSize);

    addIconButton (settingsButton, "SettingsPopupButton", *settingsIcon, "click to open the popup menu !");

    const auto& titleText = panel.getTitleText();
    titleLabel = std::make_unique<juce::Label> ("Title Label", "Wydenza");
    titleLabel->setTooltip (titleText + " : Click for more infos !");
    titleLabel->setJustificationType (juce::Justification::centred);
    titleLabel->setEditable (false, false, false);
    panel.addAndMakeVisible (*titleLabel);

    bottomInfoLabel = std::make_unique<juce::Label> ("Bottom Info Label", titleText);
    bottomInfoLabel->setJustificationType (juce::Justification::bottomLeft);
    bottomInfoLabel->setEditable (false, false, false);
    panel.addAndMakeVisible (*bottomInfoLabel);

    channelNameLabel = std::make_unique<juce::Label> ("Channel Name Label", juce::String());
    channelNameLabel->setTooltip ("CHANNEL NAME: this can be used to set a name for this plugin channel");
    channelNameLabel->setJustificationType (juce::Justification::centred);
    styleEditableLabel (*channelNameLabel);
    channelNameLabel->setEditable (true, true, true);
    channelNameLabel->addListener (&listeners.label);
    panel.addAndMakeVisible (*channelNameLabel);

    presetNameLabel = std::make_unique<CvxPresetNameLabel> ("Preset Name Label", "insert your preset name here", presetNameCharacters);
    presetNameLabel->setTooltip ("PRESET NAME: this is the name of the current preset, double-click to edit");
    presetNameLabel->setJustificationType (juce::Justification::centred);
    presetNameLabel->setColour (juce::Label::textColourId, juce::Colours::darkgrey);
    styleEditableLabel (*presetNameLabel);
    presetNameLabel->setEditable (false, true, true);
    presetNameLabel->addListener (&listeners.label);
    panel.addAndMakeVisible (*presetNameLabel);

    using Anchor = ProportionalLayout::Anchor;
    constexpr auto bw = 0.09f, bh = 0.035f;
    addPanelButton (muteAllButton, "MUTE ALL", "MUTE ALL: this mutes the input signal", 0.02f, 0.16f, bw, bh, Anchor::leftBottom);
    addPanelButton (bypassButton, "BYPASS", "BYPASS: this bypasses the whole plugin", 0.14f, 0.16f, bw, bh, Anchor::rightBottom);
    addPanelButton (safeBassButton, "SAFE BASS", "SAFE BASS: this activates the 'SAFE BASS' algorithm", 0.72f, 0.19f, bw, bh, Anchor::leftTop);
    addPanelButton (swapButton, "SWAP L-R", "SWAP L-R: this swaps LEFT and RIGHT channel of the input signal", 0.16f, 0.19f, bw, bh, Anchor::leftTop);
    addPanelButton (phaseFlipButton, "PHASE FLIP", "PHASE FLIP: this flips / inverts the phase of the input signal", 0.16f, 0.325f, bw, bh, Anchor::leftTop);
    addPanelButton (monoButton, "MONO", "MONO: this converts the input signal to mono, panning is still possible", 0.16f, 0.46f, bw, bh, Anchor::leftTop);
    addPanelButton (muteMidButton, "MUTE MID", "MUTE MID: this mutes only the 'mid signal' of the output", 0.72f, 0.64f, bw, bh, Anchor::leftTop);
    addPanelButton (muteSideButton, "MUTE SIDE", "MUTE SIDE: this mutes only the 'side signal' of the output", 0.72f, 0.74f, bw, bh, Anchor::leftTop);
    addPanelButton (easyModeButton, "EASY MODE", "EASY MODE: this mode HIDES the expert options", 0.16f, 0.64f, bw, bh, Anchor::leftTop);
    addPanelButton (expertModeButton, "EXPERT MODE", "EXPERT MODE: this mode SHOWS the expert options", 0.16f, 0.74f, bw, bh, Anchor::leftTop);
    addPanelButton (saveButton, "SAVE", "SAVE: click to save as user preset", 0.16f, 0.097f, 0.045f, 0.02275f, Anchor::leftTop);
    saveButton->setClickingTogglesState (false);
    easyModeButton->setRadioGroupId (99, juce::dontSendNotification);
    expertModeButton->setRadioGroupId (99, juce::dontSendNotification);

    const auto makeGroup = [this] (std::unique_ptr<ChoiceGroup>& group, const char* name, int radioGroupId, const std::vector<ChoiceGroup::Choice>& choices)
    {
        group = std::make_unique<ChoiceGroup> (name, radioGroupId, choices, listeners.button);
        panel.addAndMakeVisible (*group);
    };
    const juce::String panLawTip (": how much the mid signal is faded relative to hard left or right");
    makeGroup (panLawGroup, "Pan Law Group", 1, { { "PAN LAW -0 dB", "PAN LAW -0dB" + panLawTip }, { "-3 dB slope", "PAN LAW -3dB" + panLawTip }, { "-6 dB slope", "PAN LAW -6dB" + panLawTip } });
    const juce::String panCurveTip (" scale, how the pan slider affects the panning");
    makeGroup (panCurveGroup, "Pan Curve Group", 2, { { "linear", "PAN CURVE: 'LINEAR'" + panCurveTip }, { "logarithmic", "PAN CURVE: 'LOGARITHMIC'" + panCurveTip }, { "sin / cos", "PAN CURVE: 'SIN / COS'" + panCurveTip } });
    makeGroup (msModeGroup, "Stereo Mode Group", 3, { { "fix MID level", "STEREOMODE: 'FIX MID LEVEL'= MID level is fixed, only SIDE level gets affected" }, { "bind M/S levels", "STEREOMODE: 'BIND M/S LEVELS'= MID and SIDE levels get affected relatively" } });
    makeGroup (panModeGroup, "Pan Mode Group", 4, { { "dual pan", "PAN MODE: 'DUAL PAN'= L and R channels get panned separately" }, { "balance", "PAN MODE: 'BALANCE'= L and R channels get adjusted in volume relatively" } });

    inputMeter = std::make_unique<CvxQ7StereoVuMeterComponent> (1.0f, juce::Colours::black.withAlpha (0.07f));
    inputMeter->setName ("Input Meter");
    panel.addAndMakeVisible (*inputMeter);
    outputMeter = std::make_unique<CvxQ7StereoVuMeterComponent> (1.0f, juce::Colours::black.withAlpha (0.07f));
    outputMeter->setName ("Output Meter");
    panel.addAndMakeVisible (*outputMeter);

    addPanelSlider (stereoWidthSlider, "StereoWidth", false, "STEREO WIDTH: =100% is normal, >100% is WIDER than normal stereo");
    addPanelSlider (panSlider, "Pan", false, "PAN: this controls the stereo panorama or balance");
    addPanelSlider (inputGainSlider, "InputGain", true, "INPUT GAIN: this controls the level of the input signal");
    addPanelSlider (outputGainSlider, "OutputGain", true, "OUTPUT GAIN: this controls the level of the output signal");
    addPanelSlider (safeBassFreqSlider, "SafeBassFreq", true, "SAFE BASS FREQUENCY: all frequencies below this gets MONO");

    // The field lies under the width and pan labels, which must stay in front of it to take clicks.
    stereoField = std::make_unique<StereoComponent> (&regularFont);
    stereoField->setName ("Stereo Field");
    panel.addAndMakeVisible (*stereoField);

    addValueLabel (stereoWidthLabel, "Stereo Width Label", "StereoWidth", juce::Justification::left, MainEditorComponent::stereoWidthTooltip);
    addValueLabel (panLabel, "Pan", "Pan", juce::Justification::right, "PAN: Use slider below or double-click here to enter a value...");

    addIconButton (undoButton, "UNDO", *undoIcon, "UNDO: takes back the latest parameter change");
    addIconButton (redoButton, "REDO", *redoIcon, "REDO: takes back the latest UNDO command");
    addIconButton (nextButton, "NEXT", *nextIcon, "NEXT PRESET: loads the next preset");
    addIconButton (previousButton, "PREV", *previousIcon, "PREV PRESET: loads the previous preset");
    layout.addEntry (*undoButton, 0.645f, 0.017f, 0.028f, 0.028f, Anchor::leftTop);
    layout.addEntry (*redoButton, 0.685f, 0.017f, 0.028f, 0.028f, Anchor::leftTop);
    layout.addEntry (*nextButton, 0.775f, 0.097f, 0.045f, 0.02275f, Anchor::leftTop);
    layout.addEntry (*previousButton, 0.71f, 0.097f, 0.045f, 0.02275f, Anchor::leftTop);

    saveDialog = std::make_unique<ManagePresetsComponent> (processor, panel, &regularFont);
    panel.addChildComponent (*saveDialog);
    infoScreen = std::make_unique<InfoComponent> (processor, panel, &regularFont);
    panel.addChildComponent (*infoScreen);
}

MainPanelControls::~MainPanelControls() = default;

void MainPanelControls::addPanelButton (std::unique_ptr<juce::TextButton>& button, const juce::String& text, const juce::String& tooltip, float x, float y, float w, float h, juce::uint8 anchor)
{
    button = std::make_unique<juce::TextButton> (text, tooltip);
    panel.addAndMakeVisible (*button);
    button->setClickingTogglesState (true);
    button->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (panel.getSchemeBrightness()));
    button->setColour (juce::TextButton::buttonOnColourId, paletteBlue);
    button->addListener (&listeners.button);
    layout.addEntry (*button, x, y, w, h, anchor);
}

void MainPanelControls::addIconButton (std::unique_ptr<juce::DrawableButton>& button, const juce::String& name, const juce::Drawable& icon, const juce::String& tooltip)
{
    button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageOnButtonBackground);
    button->setImages (&icon);
    button->setTooltip (tooltip);
    button->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (0.3f));
    button->addListener (&listeners.button);
    panel.addAndMakeVisible (*button);
}

void MainPanelControls::addPanelSlider (std::unique_ptr<CvxRotarySlider>& slider, const juce::String& parameterName, bool textBoxBelow, const juce::String& tooltip)
{
    auto* parameter = parameters.getByName (parameterName);
    slider = std::make_unique<CvxRotarySlider> (parameter);
    slider->setName (parameterName + " Knob");
    slider->setDoubleClickReturnValue (true, parameter != nullptr ? parameter->defaultValue : 0.0);
    slider->setTextBoxStyle (textBoxBelow ? juce::Slider::TextBoxBelow : juce::Slider::NoTextBox, true, 0, 0);
    slider->setRange (0.0, 1.0, 0.0001);
    slider->setValue (parameter != nullptr ? parameter->getValue() : 0.0, juce::dontSendNotification);
    slider->setTooltip (tooltip);
    slider->setColour (juce::Slider::textBoxBackgroundColourId, juce::Colours::white);
    slider->setColour (juce::Slider::textBoxHighlightColourId, paletteBlue);
    slider->addListener (&listeners.slider);
    panel.addAndMakeVisible (*slider);
}

void MainPanelControls::addValueLabel (std::unique_ptr<juce::Label>& label, const juce::String& name, const juce::String& parameterName, juce::Justification justification, const juce::String& tooltip)
{
    label = std::make_unique<juce::Label> (name, juce::String());
    label->setTooltip (tooltip);
    label->setColour (juce::Label::textColourId, paletteBlue);
    label->setColour (juce::Label::textWhenEditingColourId, juce::Colours::black);
    label->setColour (juce::Label::outlineWhenEditingColourId, paletteBlue);
    label->setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    label->setColour (juce::TextEditor::highlightColourId, paletteBlue);
    label->setColour (juce::TextEditor::focusedOutlineColourId, paletteBlue);
    label->setJustificationType (justification);
    label->setEditable (false, true, true);
    label->addListener (&listeners.label);
    panel.addAndMakeVisible (*label);

    if (auto* parameter = parameters.getByName (parameterName))
        label->setText (parameter->getTextForValue (parameter->getValue()), juce::dontSendNotification);
}

void MainPanelControls::styleEditableLabel (juce::Label& label)
{
    label.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    label.setColour (juce::TextEditor::highlightColourId, paletteBlue);
    label.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    label.setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::black);
}

void MainPanelControls::applyColourScheme (float brightness)
{
    for (auto* b : { muteAllButton.get(), bypassButton.get(), safeBassButton.get(), swapButton.get(), phaseFlipButton.get(), monoButton.get(), muteMidButton.get(), muteSideButton.get(), easyModeButton.get(), expertModeButton.get(), saveButton.get() })
        b->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (brightness));

    for (auto* b : { nextButton.get(), previousButton.get() })
        b->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (brightness));

    for (auto* s : { stereoWidthSlider.get(), panSlider.get(), inputGainSlider.get(), outputGainSlider.get(), safeBassFreqSlider.get() })
        s->setColour (juce::Slider::backgroundColourId, brightness == 0.0f ? juce::Colours::black : paletteDarkGrey);
}

void MainPanelControls::setTextBoxBelow (juce::Slider& slider, bool readOnly, int panelWidth, int panelHeight)
{
    slider.setTextBoxStyle (juce::Slider::TextBoxBelow, readOnly, (int) (0.2f * (float) panelWidth), (int) (0.06f * (float) panelHeight));
}

void MainPanelControls::place (int width, int height)
{
    const auto h = (float) height;

    settingsButton->setBoundsRelative (0.9526667f, 0.017f, 0.0373333f, 0.056f);
    titleLabel->setBoundsRelative (0.375f, 0.002f, 0.25f, 0.0856f);
    bottomInfoLabel->setBoundsRelative (0.016f, 0.923f, 0.7f, 0.06f);
    regularFont.setHeight (0.06f * h);
    // Inside the rounded frame the panel paints around it, clear of its corners.
    channelNameLabel->setBoundsRelative (0.7361667f, 0.015f, 0.204f, 0.06f);
    presetNameLabel->setBoundsRelative (0.3f, 0.095f, 0.4f, 0.05f);
    stereoWidthSlider->setBoundsRelative (0.445f, 0.76f, 0.11f, 0.18f);
    panSlider->setBoundsRelative (0.47f, 0.615f, 0.06f, 0.16f);
    stereoField->setBoundsRelative (0.3f, 0.16f, 0.4f, 0.4f);
    stereoWidthLabel->setBoundsRelative (0.32f, 0.218f, 0.075f, 0.065f);
    panLabel->setBoundsRelative (0.605f, 0.218f, 0.075f, 0.065f);

    infoScreen->setBounds (0, 0, width, height);
    saveDialog->setBoundsRelative (0.3f, 0.16f, 0.4f, 0.4f);

    layout.layOut (h);

    panLawGroup->setBoundsRelative (0.568f, 0.585f, 0.132f, 0.15f);
    panCurveGroup->setBoundsRelative (0.3f, 0.585f, 0.132f, 0.15f);
    msModeGroup->setBoundsRelative (0.3f, 0.76f, 0.132f, 0.15f);
    panModeGroup->setBoundsRelative (0.568f, 0.76f, 0.132f, 0.15f);

    inputMeter->setBoundsRelative (0.02f, 0.32f, 0.12f, 0.5f);
    outputMeter->setBoundsRelative (0.86f, 0.32f, 0.12f, 0.5f);

    inputGainSlider->setBoundsRelative (0.05f, 0.15f, 0.06f, 0.16f);
    setTextBoxBelow (*inputGainSlider, false, width, height);
    outputGainSlider->setBoundsRelative (0.89f, 0.15f, 0.06f, 0.16f);
    setTextBoxBelow (*outputGainSlider, false, width, height);
    safeBassFreqSlider->setBoundsRelative (0.75f, 0.37f, 0.06f, 0.16f);
}

void MainPanelControls::showTiers (bool content, bool active, bool unbypassed, bool unmuted)
{
    for (auto* c : std::initializer_list<juce::Component*> { stereoField.get(), inputMeter.get(), outputMeter.get(), channelNameLabel.get() })
        c->setVisible (content);

    for (auto* c : std::initializer_list<juce::Component*> { bypassButton.get(), undoButton.get(), redoButton.get(), settingsButton.get() })
        c->setVisible (active);

    channelNameLabel->setEditable (active, false, false);
    muteAllButton->setVisible (unbypassed);
    inputGainSlider->setVisible (unbypassed);

    for (auto* c : std::initializer_list<juce::Component*> { stereoWidthSlider.get(), panSlider.get(), outputGainSlider.get(), safeBassFreqSlider.get(), stereoWidthLabel.get(), panLabel.get(), safeBassButton.get(), swapButton.get(), phaseFlipButton.get(), monoButton.get(), muteMidButton.get(), muteSideButton.get(), easyModeButton.get(), expertModeButton.get(), saveButton.get(), presetNameLabel.get(), nextButton.get(), previousButton.get() })
        c->setVisible (unmuted);
}

void MainPanelControls::showChoiceGroups (bool shown)
{
    for (auto* group : { panLawGroup.get(), panCurveGroup.get(), msModeGroup.get(), panModeGroup.get() })
        group->setVisible (shown);
}
