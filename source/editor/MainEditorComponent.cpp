#include "MainEditorComponent.h"

#include "BinaryData.h"
#include "ChoiceGroup.h"
#include "FolderReveal.h"
#include "ManagePresetsComponent.h"
#include "PopupCallbackReceiver.h"
#include "ProportionalLayout.h"
#include "WydenzaAudioProcessorEditor.h"
#include "presets/PresetNameCharacters.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/CvxPresetNameLabel.h"
#include "widgets/CvxQ7LookAndFeelV1.h"
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

const juce::String noChannelName { "No Channel Name" };
const juce::String stereoWidthMonoTooltip { "STEREO WIDTH: is 0%, because MONO is on ..." };
} // namespace

MainEditorComponent::MainEditorComponent (WydenzaAudioProcessor& processorToUse, WydenzaAudioProcessorEditor& editorToUse)
    : processor (processorToUse),
      editor (editorToUse),
      parameters (processorToUse.getParameterSet()),
      layout (editorToUse.getLayout())
{
    titleText = juce::String ("Wydenza") + " v" + JucePlugin_VersionString;
    setName ("MainEditorComponent");

    // Mouse moves over every nested child reach the panel, which shows their tooltips as help texts.
    addMouseListener (this, true);

    index.bypass = parameters.indexOf ("Bypass");
    index.width = parameters.indexOf ("StereoWidth");
    index.pan = parameters.indexOf ("Pan");
    index.inputGain = parameters.indexOf ("InputGain");
    index.outputGain = parameters.indexOf ("OutputGain");
    index.swap = parameters.indexOf ("SwapLR");
    index.flip = parameters.indexOf ("PhaseFlip");
    index.mono = parameters.indexOf ("Mono");
    index.muteAll = parameters.indexOf ("MuteAll");
    index.muteMid = parameters.indexOf ("MuteMid");
    index.muteSide = parameters.indexOf ("MuteSide");
    index.panCurve = parameters.indexOf ("PanCurve");
    index.panLaw = parameters.indexOf ("PanLaw");
    index.msMode = parameters.indexOf ("MsMode");
    index.panMode = parameters.indexOf ("PanMode");
    index.safeBassFreq = parameters.indexOf ("SafeBassFreq");
    index.safeBass = parameters.indexOf ("SafeBass");

    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf, (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    regularFont = typeface != nullptr ? std::make_unique<juce::Font> (typeface) : std::make_unique<juce::Font>();

    partnerLogo = loadDrawable (BinaryData::LOGO_Partner_ACTUAL_svg, BinaryData::LOGO_Partner_ACTUAL_svgSize);
    makerLogo = loadDrawable (BinaryData::LOGO_ZELVORA_ONLY_Q7_01_svg, BinaryData::LOGO_ZELVORA_ONLY_Q7_01_svgSize);
    undoIcon = loadDrawable (BinaryData::UndoCurvedArrow_svg, BinaryData::UndoCurvedArrow_svgSize);
    redoIcon = loadDrawable (BinaryData::RedoCurvedArrow_svg, BinaryData::RedoCurvedArrow_svgSize);
    settingsIcon = loadDrawable (BinaryData::DropDownArrow_svg, BinaryData::DropDownArrow_svgSize);
    nextIcon = loadDrawable (BinaryData::PlayButton_svg, BinaryData::PlayButton_svgSize);
    previousIcon = loadDrawable (BinaryData::PlayButtonRotated180_svg, BinaryData::PlayButtonRotated180_svgSize);

    addIconButton (settingsButton, "SettingsPopupButton", *settingsIcon, "click to open the popup menu !");

    titleLabel = std::make_unique<juce::Label> ("Title Label", "Wydenza");
    titleLabel->setTooltip (titleText + " : Click for more infos !");
    titleLabel->setJustificationType (juce::Justification::centred);
    titleLabel->setEditable (false, false, false);
    addAndMakeVisible (*titleLabel);

    bottomInfoLabel = std::make_unique<juce::Label> ("Bottom Info Label", titleText);
    bottomInfoLabel->setJustificationType (juce::Justification::bottomLeft);
    bottomInfoLabel->setEditable (false, false, false);
    addAndMakeVisible (*bottomInfoLabel);
    statusLine = std::make_unique<StatusLine> (*bottomInfoLabel);

    channelNameLabel = std::make_unique<juce::Label> ("Channel Name Label", juce::String());
    channelNameLabel->setTooltip ("CHANNEL NAME: this can be used to set a name for this plugin channel");
    channelNameLabel->setJustificationType (juce::Justification::centred);
    styleEditableLabel (*channelNameLabel);
    channelNameLabel->setEditable (true, true, true);
    channelNameLabel->addListener (this);
    addAndMakeVisible (*channelNameLabel);

    presetNameLabel = std::make_unique<CvxPresetNameLabel> ("Preset Name Label", "insert your preset name here", presetNameCharacters);
    presetNameLabel->setTooltip ("PRESET NAME: this is the name of the current preset, double-click to edit");
    presetNameLabel->setJustificationType (juce::Justification::centred);
    presetNameLabel->setColour (juce::Label::textColourId, juce::Colours::darkgrey);
    styleEditableLabel (*presetNameLabel);
    presetNameLabel->setEditable (false, true, true);
    presetNameLabel->addListener (this);
    addAndMakeVisible (*presetNameLabel);

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
        group = std::make_unique<ChoiceGroup> (name, radioGroupId, choices, static_cast<juce::Button::Listener&> (*this));
        addAndMakeVisible (*group);
    };
    const juce::String panLawTip (": how much the mid signal is faded relative to hard left or right");
    makeGroup (panLawGroup, "Pan Law Group", 1, { { "PAN LAW -0 dB", "PAN LAW -0dB" + panLawTip }, { "-3 dB slope", "PAN LAW -3dB" + panLawTip }, { "-6 dB slope", "PAN LAW -6dB" + panLawTip } });
    const juce::String panCurveTip (" scale, how the pan slider affects the panning");
    makeGroup (panCurveGroup, "Pan Curve Group", 2, { { "linear", "PAN CURVE: 'LINEAR'" + panCurveTip }, { "logarithmic", "PAN CURVE: 'LOGARITHMIC'" + panCurveTip }, { "sin / cos", "PAN CURVE: 'SIN / COS'" + panCurveTip } });
    makeGroup (msModeGroup, "Stereo Mode Group", 3, { { "fix MID level", "STEREOMODE: 'FIX MID LEVEL'= MID level is fixed, only SIDE level gets affected" }, { "bind M/S levels", "STEREOMODE: 'BIND M/S LEVELS'= MID and SIDE levels get affected relatively" } });
    makeGroup (panModeGroup, "Pan Mode Group", 4, { { "dual pan", "PAN MODE: 'DUAL PAN'= L and R channels get panned separately" }, { "balance", "PAN MODE: 'BALANCE'= L and R channels get adjusted in volume relatively" } });

    inputMeter = std::make_unique<CvxQ7StereoVuMeterComponent> (1.0f, juce::Colours::black.withAlpha (0.07f));
    inputMeter->setName ("Input Meter");
    addAndMakeVisible (*inputMeter);
    outputMeter = std::make_unique<CvxQ7StereoVuMeterComponent> (1.0f, juce::Colours::black.withAlpha (0.07f));
    outputMeter->setName ("Output Meter");
    addAndMakeVisible (*outputMeter);

    addPanelSlider (stereoWidthSlider, "StereoWidth", false, "STEREO WIDTH: =100% is normal, >100% is WIDER than normal stereo");
    addPanelSlider (panSlider, "Pan", false, "PAN: this controls the stereo panorama or balance");
    addPanelSlider (inputGainSlider, "InputGain", true, "INPUT GAIN: this controls the level of the input signal");
    addPanelSlider (outputGainSlider, "OutputGain", true, "OUTPUT GAIN: this controls the level of the output signal");
    addPanelSlider (safeBassFreqSlider, "SafeBassFreq", true, "SAFE BASS FREQUENCY: all frequencies below this gets MONO");

    // The field lies under the width and pan labels, which must stay in front of it to take clicks.
    stereoField = std::make_unique<StereoComponent> (regularFont.get());
    stereoField->setName ("Stereo Field");
    addAndMakeVisible (*stereoField);

    stereoWidthTooltip = "STEREO WIDTH: Use slider below or double-click here to enter a value...";
    stereoWidthLabel = std::make_unique<juce::Label> ("Stereo Width Label", juce::String());
    stereoWidthLabel->setTooltip (stereoWidthTooltip);
    styleValueLabel (*stereoWidthLabel, juce::Justification::left);
    stereoWidthLabel->setText (parameterText (index.width, parameters.getValue (index.width)), juce::dontSendNotification);

    panLabel = std::make_unique<juce::Label> ("Pan", juce::String());
    panLabel->setTooltip ("PAN: Use slider below or double-click here to enter a value...");
    styleValueLabel (*panLabel, juce::Justification::right);
    panLabel->setText (parameterText (index.pan, parameters.getValue (index.pan)), juce::dontSendNotification);

    addIconButton (undoButton, "UNDO", *undoIcon, "UNDO: takes back the latest parameter change");
    addIconButton (redoButton, "REDO", *redoIcon, "REDO: takes back the latest UNDO command");
    addIconButton (nextButton, "NEXT", *nextIcon, "NEXT PRESET: loads the next preset");
    addIconButton (previousButton, "PREV", *previousIcon, "PREV PRESET: loads the previous preset");
    layout.addEntry (*undoButton, 0.645f, 0.017f, 0.028f, 0.028f, Anchor::leftTop);
    layout.addEntry (*redoButton, 0.685f, 0.017f, 0.028f, 0.028f, Anchor::leftTop);
    layout.addEntry (*nextButton, 0.775f, 0.097f, 0.045f, 0.02275f, Anchor::leftTop);
    layout.addEntry (*previousButton, 0.71f, 0.097f, 0.045f, 0.02275f, Anchor::leftTop);

    saveDialog = std::make_unique<ManagePresetsComponent> (processor, *this, regularFont.get());
    addChildComponent (*saveDialog);
    infoScreen = std::make_unique<InfoComponent> (processor, *this, regularFont.get());
    addChildComponent (*infoScreen);

    // Enabled once the processor reports an undo state; the editor passes on the current one at once.
    setUndoRedoEnabled (false, false);

    startTimer (timerIntervalMs);

    refreshAllParameters();
    updatePresetName();
    setChannelName (processor.channelName);
    setExpertMode (processor.expertMode == 1.0);
    setColourScheme (processor.colourSchemeBrightness);
    contentReady = true;
    updateVisibility();
}

MainEditorComponent::~MainEditorComponent()
{
    stopTimer();
    removeMouseListener (this);
    statusLine.reset();

    // A menu still open would deliver its result to a panel that is gone.
    if (menuOpen)
        juce::PopupMenu::dismissAllActiveMenus();

    // Children go in reverse order of creation.
    infoScreen.reset();
    saveDialog.reset();
    previousButton.reset();
    nextButton.reset();
    redoButton.reset();
    undoButton.reset();
    stereoField.reset();
    panLabel.reset();
    stereoWidthLabel.reset();
    safeBassFreqSlider.reset();
    outputGainSlider.reset();
    inputGainSlider.reset();
    panSlider.reset();
    stereoWidthSlider.reset();
    outputMeter.reset();
    inputMeter.reset();
    panModeGroup.reset();
    msModeGroup.reset();
    panCurveGroup.reset();
    panLawGroup.reset();
    saveButton.reset();
    expertModeButton.reset();
    easyModeButton.reset();
    muteSideButton.reset();
    muteMidButton.reset();
    monoButton.reset();
    phaseFlipButton.reset();
    swapButton.reset();
    safeBassButton.reset();
    bypassButton.reset();
    muteAllButton.reset();
    presetNameLabel.reset();
    channelNameLabel.reset();
    bottomInfoLabel.reset();
    titleLabel.reset();
    settingsButton.reset();
}

//==============================================================================
juce::TextButton& MainEditorComponent::addPanelButton (std::unique_ptr<juce::TextButton>& button, const juce::String& text, const juce::String& tooltip, float x, float y, float w, float h, juce::uint8 anchor)
{
    button = std::make_unique<juce::TextButton> (text, tooltip);
    addAndMakeVisible (*button);
    button->setClickingTogglesState (true);
    button->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (schemeBrightness));
    button->setColour (juce::TextButton::buttonOnColourId, paletteBlue);
    button->addListener (this);
    layout.addEntry (*button, x, y, w, h, anchor);
    return *button;
}

juce::DrawableButton& MainEditorComponent::addIconButton (std::unique_ptr<juce::DrawableButton>& button, const juce::String& name, const juce::Drawable& icon, const juce::String& tooltip)
{
    button = std::make_unique<juce::DrawableButton> (name, juce::DrawableButton::ImageOnButtonBackground);
    button->setImages (&icon);
    button->setTooltip (tooltip);
    button->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (0.3f));
    button->addListener (this);
    addAndMakeVisible (*button);
    return *button;
}

CvxRotarySlider& MainEditorComponent::addPanelSlider (std::unique_ptr<CvxRotarySlider>& slider, const juce::String& parameterName, bool textBoxBelow, const juce::String& tooltip)
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
    slider->addListener (this);
    addAndMakeVisible (*slider);
    return *slider;
}

void MainEditorComponent::styleEditableLabel (juce::Label& label)
{
    label.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    label.setColour (juce::TextEditor::highlightColourId, paletteBlue);
    label.setColour (juce::TextEditor::outlineColourId, juce::Colours::black);
    label.setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::black);
}

void MainEditorComponent::styleValueLabel (juce::Label& label, juce::Justification justification)
{
    label.setColour (juce::Label::textColourId, paletteBlue);
    label.setColour (juce::Label::textWhenEditingColourId, juce::Colours::black);
    label.setColour (juce::Label::outlineWhenEditingColourId, paletteBlue);
    label.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white);
    label.setColour (juce::TextEditor::highlightColourId, paletteBlue);
    label.setColour (juce::TextEditor::focusedOutlineColourId, paletteBlue);
    label.setJustificationType (justification);
    label.setEditable (false, true, true);
    label.addListener (this);
    addAndMakeVisible (label);
}

//==============================================================================
juce::String MainEditorComponent::parameterText (int parameterIndex, float value) const
{
    if (auto* parameter = parameters.getByIndex (parameterIndex))
        return parameter->getTextForValue (value);

    return {};
}

int MainEditorComponent::parameterIndexOf (const juce::Slider* slider) const noexcept
{
    if (slider == stereoWidthSlider.get())
        return index.width;
    if (slider == panSlider.get())
        return index.pan;
    if (slider == inputGainSlider.get())
        return index.inputGain;
    if (slider == outputGainSlider.get())
        return index.outputGain;
    if (slider == safeBassFreqSlider.get())
        return index.safeBassFreq;
    return -1;
}

void MainEditorComponent::parameterChanged (int parameterIndex, float value)
{
    const auto on = value > 0.5f;
    const auto showSwitch = [on] (juce::Button& b)
    { b.setToggleState (on, juce::dontSendNotification); };

    if (parameterIndex == index.bypass)
    {
        showSwitch (*bypassButton);
        setBypassState (on);
    }
    else if (parameterIndex == index.muteAll)
    {
        showSwitch (*muteAllButton);
        setMuteAllState (on);
    }
    else if (parameterIndex == index.muteMid)
        showSwitch (*muteMidButton);
    else if (parameterIndex == index.muteSide)
        showSwitch (*muteSideButton);
    else if (parameterIndex == index.swap)
        showSwitch (*swapButton);
    else if (parameterIndex == index.flip)
        showSwitch (*phaseFlipButton);
    else if (parameterIndex == index.mono)
    {
        showSwitch (*monoButton);
        setMonoState (on);
    }
    else if (parameterIndex == index.safeBass)
    {
        showSwitch (*safeBassButton);
        setSafeBassState (on);
    }
    else if (parameterIndex == index.panLaw)
        panLawGroup->showValue (value);
    else if (parameterIndex == index.panCurve)
        panCurveGroup->showValue (value);
    else if (parameterIndex == index.msMode)
        msModeGroup->showValue (value);
    else if (parameterIndex == index.panMode)
        panModeGroup->showValue (value);
    else if (parameterIndex == index.width)
    {
        stereoWidthValue = value;

        if (! monoOn)
        {
            stereoWidthSlider->setValue (value, juce::dontSendNotification);
            stereoField->setWidthValue (value);
            stereoWidthLabel->setText (parameterText (index.width, value), juce::dontSendNotification);
        }
    }
    else if (parameterIndex == index.pan)
    {
        panSlider->setValue (value, juce::dontSendNotification);
        updatePanLabel (value);
    }
    else if (parameterIndex == index.inputGain)
        showGainValue (*inputGainSlider, value);
    else if (parameterIndex == index.outputGain)
        showGainValue (*outputGainSlider, value);
    else if (parameterIndex == index.safeBassFreq)
    {
        safeBassFreqValue = value;

        if (safeBassOn)
            showGainValue (*safeBassFreqSlider, value);
    }
}

void MainEditorComponent::showGainValue (juce::Slider& slider, float value)
{
    // The text box follows even when the value is unchanged (a typed text it did not take reads back).
    slider.setValue (value, juce::dontSendNotification);
    slider.updateText();
}

void MainEditorComponent::refreshAllParameters()
{
    for (auto i = 0; i < parameters.size(); ++i)
        parameterChanged (i, parameters.getValue (i));
}

void MainEditorComponent::setUndoRedoEnabled (bool canUndo, bool canRedo)
{
    undoButton->setEnabled (canUndo);
    redoButton->setEnabled (canRedo);
    infoScreen->updateButtonStates();
}

void MainEditorComponent::updatePresetName()
{
    presetNameLabel->setText (processor.getPresetDisplayName(), juce::dontSendNotification);
}

void MainEditorComponent::setChannelName (const juce::String& name)
{
    channelNameSet = name.isNotEmpty() && name != noChannelName;
    processor.channelName = channelNameSet ? name : noChannelName;
    channelNameLabel->setText (processor.channelName, juce::dontSendNotification);
    channelNameLabel->setColour (juce::Label::textColourId, channelNameSet ? juce::Colours::black : paletteOrange.darker (0.2f));
    repaint();
}

void MainEditorComponent::setExpertMode (bool expert)
{
    expertModeOn = expert;
    processor.expertMode = expert ? 1.0 : 0.0;
    updateModeButtons();
    repaint();
}

void MainEditorComponent::setColourScheme (float brightness)
{
    schemeBrightness = brightness;
    panelBoxColour = juce::Colours::darkgrey.brighter (brightness);
    editor.getLookAndFeelV1().schemeColour = panelBoxColour;

    for (auto* b : { muteAllButton.get(), bypassButton.get(), safeBassButton.get(), swapButton.get(), phaseFlipButton.get(), monoButton.get(), muteMidButton.get(), muteSideButton.get(), easyModeButton.get(), expertModeButton.get(), saveButton.get() })
        b->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (brightness));

    for (auto* b : { nextButton.get(), previousButton.get() })
        b->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (brightness));

    for (auto* s : { stereoWidthSlider.get(), panSlider.get(), inputGainSlider.get(), outputGainSlider.get(), safeBassFreqSlider.get() })
        s->setColour (juce::Slider::backgroundColourId, brightness == 0.0f ? juce::Colours::black : paletteDarkGrey);

    processor.colourSchemeBrightness = brightness;
    repaint();
}

void MainEditorComponent::setBypassState (bool on)
{
    bypassOn = on;
    stereoField->setBypassed (on);
    updateVisibility();
}

void MainEditorComponent::setMuteAllState (bool on)
{
    muteAllOn = on;
    stereoField->setMutedAll (on);
    updateVisibility();
}

void MainEditorComponent::setSafeBassState (bool on)
{
    safeBassOn = on;
    safeBassFreqSlider->setEnabled (on);
    setSafeBassTextBox();
    safeBassFreqSlider->setValue (on ? safeBassFreqValue : 0.0f, juce::dontSendNotification);
    safeBassFreqSlider->updateText();
    repaint();
}

void MainEditorComponent::setSafeBassTextBox()
{
    safeBassFreqSlider->setTextBoxStyle (juce::Slider::TextBoxBelow, ! safeBassOn, (int) (0.2f * (float) getWidth()), (int) (0.06f * (float) getHeight()));
}

void MainEditorComponent::setMonoState (bool on)
{
    monoOn = on;
    stereoWidthSlider->setEnabled (! on);
    stereoWidthLabel->setEnabled (! on);
    stereoWidthLabel->setEditable (false, ! on, true);

    const auto shown = on ? 0.0f : stereoWidthValue;
    stereoWidthSlider->setValue (shown, juce::dontSendNotification);
    stereoField->setWidthValue (shown);
    stereoWidthLabel->setText (parameterText (index.width, shown), juce::dontSendNotification);
    stereoWidthLabel->setTooltip (on ? stereoWidthMonoTooltip : stereoWidthTooltip);
    repaint();
}

void MainEditorComponent::updateStereoWidthLabel (float value)
{
    stereoWidthValue = value;
    stereoField->setWidthValue (value);

    if (! monoOn)
        stereoWidthLabel->setText (parameterText (index.width, value), juce::dontSendNotification);
}

void MainEditorComponent::updatePanLabel (float value)
{
    stereoField->setPanValue (value);
    panLabel->setText (parameterText (index.pan, value), juce::dontSendNotification);
}

void MainEditorComponent::updateModeButtons()
{
    easyModeButton->setToggleState (! expertModeOn, juce::dontSendNotification);
    expertModeButton->setToggleState (expertModeOn, juce::dontSendNotification);

    const auto unmuted = ! resizing && contentReady && ! saveDialogOpen && ! bypassOn && ! muteAllOn;

    for (auto* group : { panLawGroup.get(), panCurveGroup.get(), msModeGroup.get(), panModeGroup.get() })
        group->setVisible (unmuted && expertModeOn);
}

void MainEditorComponent::updateVisibility()
{
    const auto base = ! resizing && contentReady;

    for (auto* c : std::initializer_list<juce::Component*> { stereoField.get(), inputMeter.get(), outputMeter.get(), channelNameLabel.get() })
        c->setVisible (base);

    const auto active = base && ! saveDialogOpen;

    for (auto* c : std::initializer_list<juce::Component*> { bypassButton.get(), undoButton.get(), redoButton.get(), settingsButton.get() })
        c->setVisible (active);

    if (resizing)
        saveDialog->setVisible (false);
    else if (saveDialogOpen && contentReady)
        saveDialog->setVisible (true);

    channelNameLabel->setEditable (active, false, false);

    const auto unbypassed = active && ! bypassOn;
    muteAllButton->setVisible (unbypassed);
    inputGainSlider->setVisible (unbypassed);

    const auto unmuted = unbypassed && ! muteAllOn;

    for (auto* c : std::initializer_list<juce::Component*> { stereoWidthSlider.get(), panSlider.get(), outputGainSlider.get(), safeBassFreqSlider.get(), stereoWidthLabel.get(), panLabel.get(), safeBassButton.get(), swapButton.get(), phaseFlipButton.get(), monoButton.get(), muteMidButton.get(), muteSideButton.get(), easyModeButton.get(), expertModeButton.get(), saveButton.get(), presetNameLabel.get(), nextButton.get(), previousButton.get() })
        c->setVisible (unmuted);

    updateModeButtons();
    repaint();
}

//==============================================================================
void MainEditorComponent::sliderValueChanged (juce::Slider* slider)
{
    const auto parameterIndex = parameterIndexOf (slider);

    if (parameterIndex < 0)
        return;

    const auto value = (float) slider->getValue();
    processor.setParameterFromEditor (parameters.getName (parameterIndex), value, false);

    if (parameterIndex == index.width)
        updateStereoWidthLabel (value);
    else if (parameterIndex == index.pan)
        updatePanLabel (value);
    else if (parameterIndex == index.safeBassFreq)
        safeBassFreqValue = value;
}

void MainEditorComponent::sliderDragStarted (juce::Slider* slider)
{
    const auto parameterIndex = parameterIndexOf (slider);

    if (parameterIndex >= 0)
        processor.beginParameterGestureFromEditor (parameters.getName (parameterIndex));
}

void MainEditorComponent::sliderDragEnded (juce::Slider* slider)
{
    const auto parameterIndex = parameterIndexOf (slider);

    // Ends the host's gesture and the undo step, so that one drag is one step.
    if (parameterIndex >= 0)
        processor.endParameterGestureFromEditor (parameters.getName (parameterIndex));
}

void MainEditorComponent::buttonClicked (juce::Button* button)
{
    if (button == nextButton.get())
        return processor.nextPreset();
    if (button == previousButton.get())
        return processor.previousPreset();
    if (button == undoButton.get())
        return processor.undo();
    if (button == redoButton.get())
        return processor.redo();
    if (button == saveButton.get())
        return openSaveDialog();
    if (button == settingsButton.get())
        return showSettingsMenu();

    // A radio click also clicks the toggle it turns off, before the new one is on: only the toggle
    // that ends up on speaks for its group.
    if (button == easyModeButton.get() || button == expertModeButton.get())
    {
        if (button->getToggleState())
            setExpertMode (button == expertModeButton.get());

        return;
    }

    for (auto* group : { panLawGroup.get(), panCurveGroup.get(), msModeGroup.get(), panModeGroup.get() })
    {
        const auto value = group->valueOf (*button);

        if (value < 0.0f)
            continue;

        if (button->getToggleState())
        {
            const auto parameterIndex = group == panLawGroup.get()     ? index.panLaw
                                        : group == panCurveGroup.get() ? index.panCurve
                                        : group == msModeGroup.get()   ? index.msMode
                                                                       : index.panMode;
            processor.setParameterFromEditor (parameters.getName (parameterIndex), value, true);
            group->showValue (value);
        }

        return;
    }

    const struct
    {
        juce::Button* button;
        int parameterIndex;
        void (MainEditorComponent::*showState) (bool);
    } switches[] = {
        { bypassButton.get(), index.bypass, &MainEditorComponent::setBypassState },
        { muteAllButton.get(), index.muteAll, &MainEditorComponent::setMuteAllState },
        { monoButton.get(), index.mono, &MainEditorComponent::setMonoState },
        { safeBassButton.get(), index.safeBass, &MainEditorComponent::setSafeBassState },
        { muteMidButton.get(), index.muteMid, nullptr },
        { muteSideButton.get(), index.muteSide, nullptr },
        { swapButton.get(), index.swap, nullptr },
        { phaseFlipButton.get(), index.flip, nullptr },
    };

    for (const auto& s : switches)
    {
        if (s.button != button)
            continue;

        const auto on = button->getToggleState();
        processor.setParameterFromEditor (parameters.getName (s.parameterIndex), on ? 1.0f : 0.0f, true);

        if (s.showState != nullptr)
            (this->*s.showState) (on);

        return;
    }
}

void MainEditorComponent::labelTextChanged (juce::Label* label)
{
    const auto text = label->getText().trim();

    if (label == channelNameLabel.get())
    {
        setChannelName (text);
    }
    else if (label == presetNameLabel.get())
    {
        const auto accepted = processor.renamePresetFromEditor (text);

        if (accepted.isEmpty())
        {
            setStatusText (WydenzaAudioProcessor::presetNameRejectedMessage, true);
            presetNameLabel->setText (processor.getProgramName (0), juce::dontSendNotification);
        }
        else
        {
            presetNameLabel->setText (accepted, juce::dontSendNotification);
        }
    }
    else if (label == stereoWidthLabel.get() || label == panLabel.get())
    {
        const auto isWidth = label == stereoWidthLabel.get();
        const auto parameterIndex = isWidth ? index.width : index.pan;
        auto& slider = isWidth ? *stereoWidthSlider : *panSlider;

        if (auto* parameter = parameters.getByIndex (parameterIndex))
            slider.setValue (parameter->getValueForText (text), juce::sendNotificationSync);

        const auto shown = (float) slider.getValue();

        if (isWidth)
            updateStereoWidthLabel (shown);
        else
            updatePanLabel (shown);

        processor.endUndoStep();
    }
}

void MainEditorComponent::editorShown (juce::Label* label, juce::TextEditor& textEditor)
{
    if (label == channelNameLabel.get())
        textEditor.applyFontToAllText (textEditor.getFont().withHeight ((float) label->getHeight()));
}

//==============================================================================
void MainEditorComponent::setStatusText (const juce::String& text, bool important)
{
    statusLine->setText (text, important, juce::Time::getCurrentTime());
}

void MainEditorComponent::checkStatusExpiry (juce::Time now)
{
    statusLine->expire (now, resizing);
}

void MainEditorComponent::timerCallback()
{
    const auto now = juce::Time::getCurrentTime();
    checkStatusExpiry (now);
    checkMenuWatchdog (now);
}

void MainEditorComponent::mouseDown (const juce::MouseEvent& e)
{
    if (e.eventComponent == titleLabel.get())
        showInfoScreen();
}

void MainEditorComponent::mouseMove (const juce::MouseEvent& e)
{
    if (e.eventComponent == this)
        setStatusText ({}, false);
    else if (auto* client = dynamic_cast<juce::TooltipClient*> (e.eventComponent))
        setStatusText (client->getTooltip(), false);
}

void MainEditorComponent::resizeStarted()
{
    resizing = true;
    updateVisibility();
    setStatusText ({}, false);
    repaint();
}

void MainEditorComponent::resizeFinished()
{
    resizing = false;
    setStatusText ("Resizer: NEW SIZE set to " + juce::String (getWidth()) + "x" + juce::String (getHeight()), false);
    updateVisibility();
    repaint();
}

//==============================================================================
juce::PopupMenu MainEditorComponent::buildSettingsMenu()
{
    juce::PopupMenu menu;
    menu.addItem (resizeToDefaultItem, "Resize To Default", processor.lastEditorHeight != processor.defaultEditorHeight);
    menu.addSeparator();

    const auto modified = processor.isPresetModified();
    const auto inFactory = processor.isSteppingFactoryPresets();
    const auto current = processor.getCurrentPresetIndex();

    juce::PopupMenu factoryMenu;
    const auto factoryNames = processor.getFactoryPresetNames();

    for (auto i = 0; i < factoryNames.size(); ++i)
        factoryMenu.addItem (firstFactoryPresetItem + i, factoryNames[i], true, ! modified && inFactory && i == current);

    menu.addSubMenu ("Factory Presets", factoryMenu);

    juce::PopupMenu userMenu;
    const auto userNames = processor.getUserPresetNames();
    const auto displayName = processor.getPresetDisplayName();

    for (auto i = 0; i < userNames.size(); ++i)
        userMenu.addItem (firstUserPresetItem + i, userNames[i], true, ! modified && ! inFactory && i == current && userNames[i] == displayName);

    menu.addSubMenu ("User Presets", userMenu);
    menu.addSeparator();
    menu.addItem (saveAsItem, "Save Current Preset As ...");
    menu.addItem (revealFolderItem, "Reveal User Presets Folder");
    menu.addSeparator();

    // The current scheme is ticked and greyed out.
    const auto dark = processor.colourSchemeBrightness == 0.0f;
    juce::PopupMenu schemeMenu;
    schemeMenu.addItem (classicDarkItem, "Classic Dark", ! dark, dark);
    schemeMenu.addItem (brightEyesItem, "Bright Eyes", dark, ! dark);
    menu.addSubMenu ("Colour Scheme", schemeMenu);

    menu.addItem (showInfoItem, "Show Info / Settings Screen");
    menu.addSeparator();
    menu.addItem (titleItem, titleText, false);
    return menu;
}

void MainEditorComponent::showSettingsMenu()
{
    auto& menuLookAndFeel = editor.getLookAndFeelV1();
    menuLookAndFeel.setColour (juce::PopupMenu::highlightedBackgroundColourId, paletteBlue);

    auto menu = buildSettingsMenu();
    menu.setLookAndFeel (&menuLookAndFeel);

    menuCheckTime = juce::Time::getCurrentTime();
    menuOpen = true;
    setStatusText ("choose from popup menu ...", false);
    menu.showMenuAsync (juce::PopupMenu::Options(), new PopupCallbackReceiver (this));
}

void MainEditorComponent::settingsMenuFinished (int result)
{
    menuOpen = false;

    if (result == resizeToDefaultItem)
        resizeToDefault();
    else if (result == saveAsItem)
        openSaveDialog();
    else if (result == revealFolderItem)
        revealFolderToUser (processor.getUserPresetsFolder());
    else if (result == classicDarkItem)
        setColourScheme (0.0f);
    else if (result == brightEyesItem)
        setColourScheme (0.3f);
    else if (result == showInfoItem)
        showInfoScreen();
    else if (result >= firstUserPresetItem)
        processor.loadUserPreset (result - firstUserPresetItem);
    else if (result >= firstFactoryPresetItem)
        processor.selectFactoryPreset (result - firstFactoryPresetItem);
}

void MainEditorComponent::checkMenuWatchdog (juce::Time now)
{
    if (! menuOpen || now <= menuCheckTime + juce::RelativeTime::seconds (1.0))
        return;

    if (isMouseOverPopupMenu())
    {
        menuCheckTime = now;
        return;
    }

    menuOpen = false;
    juce::PopupMenu::dismissAllActiveMenus();
}

bool MainEditorComponent::isMouseOverPopupMenu()
{
    auto* c = juce::Desktop::getInstance().findComponentAt (juce::Desktop::getMousePosition());

    while (c != nullptr && c->getName().isEmpty())
        c = c->getParentComponent();

    // "menu" is the name the framework gives its popup menu windows.
    return c != nullptr && c->getName() == "menu";
}

void MainEditorComponent::resizeToDefault()
{
    processor.lastEditorHeight = processor.defaultEditorHeight;
    editor.refreshFromProcessor();
    repaint();
}

void MainEditorComponent::openSaveDialog()
{
    saveDialogOpen = true;
    updateVisibility();
    saveDialog->resetText();
    saveDialog->setVisible (true);
    saveDialog->getTextEditor().grabKeyboardFocus();
    repaint();
}

void MainEditorComponent::closeSaveDialog()
{
    saveDialogOpen = false;
    updateVisibility();
    saveDialog->setVisible (false);
    repaint();
}

void MainEditorComponent::presetSaved()
{
    closeSaveDialog();

    // A save that fails (folder not writable, no usable name) leaves the current preset as it was.
    const auto saved = processor.saveUserPreset (saveDialog->getPresetNameText(), true);
    updatePresetName();
    setStatusText (saved ? savedMessage : saveFailedMessage, true);
}

void MainEditorComponent::presetSaveCancelled()
{
    closeSaveDialog();
    setStatusText (saveCancelledMessage, true);
}

void MainEditorComponent::showInfoScreen()
{
    infoScreen->setVisible (true);
    infoScreen->toFront (false);
}

//==============================================================================
void MainEditorComponent::resized()
{
    const auto h = (float) getHeight();
    const auto w = (float) getWidth();
    displayHeight = layout.getReferenceHeight();
    logoScaleRatio = displayHeight > 0.0f ? h / displayHeight * 2.0f : 1.0f;

    // The kept background belongs to the old size.
    background.clear();

    settingsButton->setBoundsRelative (0.9526667f, 0.017f, 0.0373333f, 0.056f);
    titleLabel->setBoundsRelative (0.375f, 0.002f, 0.25f, 0.0856f);
    bottomInfoLabel->setBoundsRelative (0.016f, 0.923f, 0.7f, 0.06f);
    regularFont->setHeight (0.06f * h);
    channelNameLabel->setBoundsRelative (0.7281667f, 0.015f, 0.22f, 0.06f);
    presetNameLabel->setBoundsRelative (0.3f, 0.095f, 0.4f, 0.05f);
    stereoWidthSlider->setBoundsRelative (0.445f, 0.76f, 0.11f, 0.18f);
    panSlider->setBoundsRelative (0.47f, 0.615f, 0.06f, 0.16f);
    stereoField->setBoundsRelative (0.3f, 0.16f, 0.4f, 0.4f);
    stereoWidthLabel->setBoundsRelative (0.32f, 0.218f, 0.075f, 0.065f);
    panLabel->setBoundsRelative (0.605f, 0.218f, 0.075f, 0.065f);

    infoScreen->setBounds (getLocalBounds());
    saveDialog->setBoundsRelative (0.3f, 0.16f, 0.4f, 0.4f);

    layout.layOut (h);

    panLawGroup->setBoundsRelative (0.568f, 0.585f, 0.132f, 0.15f);
    panCurveGroup->setBoundsRelative (0.3f, 0.585f, 0.132f, 0.15f);
    msModeGroup->setBoundsRelative (0.3f, 0.76f, 0.132f, 0.15f);
    panModeGroup->setBoundsRelative (0.568f, 0.76f, 0.132f, 0.15f);

    inputMeter->setBoundsRelative (0.02f, 0.32f, 0.12f, 0.5f);
    outputMeter->setBoundsRelative (0.86f, 0.32f, 0.12f, 0.5f);

    const auto textBoxWidth = (int) (0.2f * w);
    const auto textBoxHeight = (int) (0.06f * h);
    inputGainSlider->setBoundsRelative (0.05f, 0.15f, 0.06f, 0.16f);
    inputGainSlider->setTextBoxStyle (juce::Slider::TextBoxBelow, false, textBoxWidth, textBoxHeight);
    outputGainSlider->setBoundsRelative (0.89f, 0.15f, 0.06f, 0.16f);
    outputGainSlider->setTextBoxStyle (juce::Slider::TextBoxBelow, false, textBoxWidth, textBoxHeight);
    safeBassFreqSlider->setBoundsRelative (0.75f, 0.37f, 0.06f, 0.16f);
    setSafeBassTextBox();
}

void MainEditorComponent::drawPanelBox (juce::Graphics& g, float x, float y, float w, float h, juce::Colour colour, bool gradient) const
{
    const auto width = (float) getWidth();
    const auto height = (float) getHeight();
    const juce::Rectangle<float> area (x * width, y * height, w * width, h * height);

    if (! g.clipRegionIntersects (area.getSmallestIntegerContainer()))
        return;

    if (gradient)
        g.setGradientFill (juce::ColourGradient::vertical (colour, area.getY(), colour.withAlpha (0.0f), area.getBottom()));
    else
        g.setColour (colour);

    g.fillRoundedRectangle (area, 0.01f * height);
}

void MainEditorComponent::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();

    // The meters repaint every tick: parts outside the area being painted are skipped, which changes no pixel.
    const auto inClip = [&g] (juce::Rectangle<float> area)
    { return g.clipRegionIntersects (area.getSmallestIntegerContainer()); };

    g.setFont (*regularFont);

    if (! resizing)
    {
        if (backgroundCacheEnabled)
            background.draw (g, getWidth(), getHeight(), schemeBrightness);
        else
            PanelBackground::drawUncached (g, getWidth(), getHeight(), schemeBrightness);

        drawPanelBox (g, 0.01f, 0.923f, 0.758f, 0.061f, panelBoxColour, true);
        drawPanelBox (g, 0.773f, 0.923f, 0.171f, 0.061f, panelBoxColour, true);
        drawPanelBox (g, 0.949f, 0.923f, 0.0406667f, 0.061f, panelBoxColour, true);
    }

    g.setColour (paletteOrange);
    g.fillRect (juce::Rectangle<float> (0.0f, 0.0f, w, 0.08f * h));

    g.setColour (juce::Colours::black);

    if (partnerLogo != nullptr && inClip ({ 0.0f, 0.0f, 0.5f * w, 0.08f * h }))
        partnerLogo->draw (g, 1.0f, juce::AffineTransform::scale (0.00026f * displayHeight * logoScaleRatio).translated (0.01f * w, 0.019f * h));

    const juce::Rectangle<float> presentsArea (0.48f * h, 0.013f * h, 0.3f * h, 0.04f * h);

    if (inClip (presentsArea))
    {
        g.setFont (regularFont->withHeight (0.04f * h));
        ProportionalLayout::drawTextWithin (g, "presents", presentsArea, juce::Justification::topLeft);
    }

    const juce::Rectangle<float> makerLogoArea (0.761f * w, 0.928f * h, 0.08f * w, 0.05f * h);

    if (makerLogo != nullptr && inClip (makerLogoArea))
        makerLogo->drawWithin (g, makerLogoArea, juce::RectanglePlacement::centred, 1.0f);

    const juce::Rectangle<float> makerNameArea (0.823f * w, 0.923f * h, 0.12f * w, 0.061f * h);

    if (inClip (makerNameArea))
    {
        g.setColour (juce::Colours::black);
        g.setFont (regularFont->withHeight (0.061f * h));
        ProportionalLayout::drawTextWithin (g, "ZELVORA", makerNameArea, juce::Justification::centred);
    }

    g.setFont (*regularFont);

    if (! contentReady)
        paintNotReadyWarning (g);
    else if (! resizing)
        paintContent (g);

    // The frame reaches 0.01 H into the panel: repaints inside it (the meters) need not stroke it.
    if (! getLocalBounds().reduced (juce::roundToInt (0.02f * h) + 1).contains (g.getClipBounds()))
    {
        g.setColour (juce::Colours::black);
        g.drawRoundedRectangle (0.0f, 0.0f, w, h, 0.02f * h, 0.02f * h);
    }
}

void MainEditorComponent::paintContent (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    const auto inClip = [&g] (juce::Rectangle<float> area)
    { return g.clipRegionIntersects (area.getSmallestIntegerContainer()); };
    const auto caption = [&] (const char* text, float x, float y, float cw, float ch, juce::Colour colour)
    {
        if (inClip (layout.areaFor (x, y, cw, ch)))
            layout.drawCaption (g, text, x, y, cw, ch, juce::Justification::centred, colour);
    };
    const auto framedBox = [&] (float x, float y, float bw, float bh)
    {
        // The outline reaches half its thickness beyond the box.
        if (inClip (layout.areaFor (x, y, bw, bh).expanded (0.01f * h)))
            layout.drawFramedBox (g, x, y, bw, bh);
    };

    if (! bypassOn && ! muteAllOn && ! saveDialogOpen)
    {
        drawPanelBox (g, 0.3f, 0.095f, 0.4f, 0.05f, juce::Colours::black, false);

        const auto centredText = [&] (const char* text, float width, float top, juce::Colour colour)
        {
            const juce::Rectangle<float> area ((w - width * h) * 0.5f, top * h, width * h, 0.025f * h);

            if (inClip (area.withSizeKeepingCentre (area.getWidth(), 0.05f * h)))
            {
                g.setColour (colour);
                g.setFont (regularFont->withHeight (0.05f * h));
                ProportionalLayout::drawTextWithin (g, text, area, juce::Justification::centred);
            }
        };

        centredText ("PAN", 0.09f, 0.579f, juce::Colours::black);
        centredText ("STEREO WIDTH", 0.45f, 0.724f, juce::Colours::black.withAlpha (monoOn ? 0.2f : 1.0f));
        g.setFont (*regularFont);
        caption ("FREQUENCY", 0.71f, 0.31f, 0.105f, 0.025f, juce::Colours::black.withAlpha (safeBassOn ? 1.0f : 0.2f));
        caption ("PRESET:", 0.23f, 0.101f, 0.04f, 0.0195f, juce::Colours::black);

        framedBox (0.71f, 0.16f, 0.105f, 0.2f);
        framedBox (0.15f, 0.16f, 0.105f, 0.2f);
        framedBox (0.71f, 0.585f, 0.105f, 0.145f);
        framedBox (0.15f, 0.585f, 0.105f, 0.145f);
        framedBox (0.15f, 0.09f, 0.525f, 0.03f);

        if (expertModeOn)
        {
            framedBox (0.568f, 0.585f, 0.099f, 0.075f);
            framedBox (0.3f, 0.585f, 0.099f, 0.075f);
            framedBox (0.3f, 0.76f, 0.099f, 0.075f);
            framedBox (0.568f, 0.76f, 0.099f, 0.075f);
        }
    }

    framedBox (0.02f, 0.1f, 0.09f, 0.105f);
    framedBox (0.86f, 0.1f, 0.09f, 0.105f);
    caption ("INPUT", 0.02f, 0.1f, 0.09f, 0.025f, juce::Colours::black);
    caption ("OUTPUT", 0.86f, 0.1f, 0.09f, 0.025f, juce::Colours::black);

    const juce::Rectangle<float> channelFrame (0.7281667f * w, 0.015f * h, 0.22f * w, 0.06f * h);

    if (inClip (channelFrame.expanded (0.005f * h)))
    {
        g.setColour (channelNameSet ? juce::Colours::black : paletteOrange.darker (0.2f));
        g.drawRoundedRectangle (channelFrame, 0.01f * h, 0.005f * h);
    }
}

void MainEditorComponent::paintNotReadyWarning (juce::Graphics& g)
{
    const auto w = (float) getWidth();
    const auto h = (float) getHeight();
    const juce::Rectangle<float> area (0.25f * w, 0.25f * h, 0.5f * w, 0.5f * h);

    g.setColour (paletteDarkGrey.brighter (0.4f));
    g.fillRoundedRectangle (area, 0.02f * h);
    g.setColour (paletteOrange);
    g.drawRoundedRectangle (area, 0.02f * h, 0.02f * h);
    g.setColour (juce::Colours::black);
    g.drawFittedText ("THIS PLUGIN WORKS ONLY\nON STEREO TRACKS !!!", area.toNearestInt(), juce::Justification::centred, 2, 0.1f);
}
