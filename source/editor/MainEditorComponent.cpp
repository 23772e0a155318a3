#include "MainEditorComponent.h"

#include "BinaryData.h"
#include "ChoiceGroup.h"
#include "MainPanelArtwork.h"
#include "MainPanelControls.h"
#include "ManagePresetsComponent.h"
#include "WydenzaAudioProcessorEditor.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/CvxPresetNameLabel.h"
#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/CvxRotarySlider.h"
#include "widgets/InfoComponent.h"
#include "widgets/Palette.h"
#include "widgets/StereoComponent.h"

namespace
{
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

    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf, (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    regularFont = typeface != nullptr ? std::make_unique<juce::Font> (typeface) : std::make_unique<juce::Font>();

    artwork = std::make_unique<MainPanelArtwork> (layout, *regularFont);
    controls = std::make_unique<MainPanelControls> (*this, processor, layout, *regularFont, MainPanelControls::Listeners { *this, *this, *this });
    statusLine = std::make_unique<StatusLine> (*controls->bottomInfoLabel);
    settingsMenu = std::make_unique<SettingsMenu> (processor, *this);
    makeBindings();

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

    // The status line writes to a label of the controls, and an open menu would answer to this panel.
    statusLine.reset();
    settingsMenu.reset();
    controls.reset();
}

//==============================================================================
void MainEditorComponent::makeBindings()
{
    using M = MainEditorComponent;
    auto& c = *controls;

    // Beyond their buttons: BYPASS and MUTE ALL hide the controls under them (updateVisibility), MONO
    // holds the width at 0 % and SAFE BASS enables the crossover knob. While held, the width and the
    // crossover keep the value last received (showStereoWidth, showSafeBassFrequency) and show it again
    // when released.
    const Binding rows[] = {
        Binding::onOffSwitch ("Bypass", *c.bypassButton, &M::setBypassState),
        Binding::onOffSwitch ("MuteAll", *c.muteAllButton, &M::setMuteAllState),
        Binding::onOffSwitch ("MuteMid", *c.muteMidButton),
        Binding::onOffSwitch ("MuteSide", *c.muteSideButton),
        Binding::onOffSwitch ("SwapLR", *c.swapButton),
        Binding::onOffSwitch ("PhaseFlip", *c.phaseFlipButton),
        Binding::onOffSwitch ("Mono", *c.monoButton, &M::setMonoState),
        Binding::onOffSwitch ("SafeBass", *c.safeBassButton, &M::setSafeBassState),
        Binding::choice ("PanLaw", *c.panLawGroup),
        Binding::choice ("PanCurve", *c.panCurveGroup),
        Binding::choice ("MsMode", *c.msModeGroup),
        Binding::choice ("PanMode", *c.panModeGroup),
        Binding::knob ("StereoWidth", *c.stereoWidthSlider, &M::showStereoWidth, &M::updateStereoWidthLabel),
        Binding::knob ("Pan", *c.panSlider, &M::showPan, &M::updatePanLabel),
        Binding::knob ("InputGain", *c.inputGainSlider),
        Binding::knob ("OutputGain", *c.outputGainSlider),
        Binding::knob ("SafeBassFreq", *c.safeBassFreqSlider, &M::showSafeBassFrequency, &M::rememberSafeBassFrequency),
    };

    for (auto row : rows)
    {
        row.index = parameters.indexOf (row.parameterName);

        if (row.index >= 0)
            bindings.push_back (row);
    }

    widthIndex = parameters.indexOf ("StereoWidth");
    panIndex = parameters.indexOf ("Pan");
}

const MainEditorComponent::Binding* MainEditorComponent::bindingFor (int parameterIndex) const noexcept
{
    for (const auto& b : bindings)
        if (b.index == parameterIndex)
            return &b;

    return nullptr;
}

const MainEditorComponent::Binding* MainEditorComponent::bindingFor (const juce::Slider* slider) const noexcept
{
    for (const auto& b : bindings)
        if (b.control == Binding::Control::knob && b.slider == slider)
            return &b;

    return nullptr;
}

juce::String MainEditorComponent::parameterText (int parameterIndex, float value) const
{
    if (auto* parameter = parameters.getByIndex (parameterIndex))
        return parameter->getTextForValue (value);

    return {};
}

void MainEditorComponent::parameterChanged (int parameterIndex, float value)
{
    const auto* b = bindingFor (parameterIndex);

    if (b == nullptr)
        return;

    switch (b->control)
    {
        case Binding::Control::onOffSwitch:
        {
            const auto on = value > 0.5f;
            b->button->setToggleState (on, juce::dontSendNotification);

            if (b->switchEffect != nullptr)
                (this->*b->switchEffect) (on);

            break;
        }

        case Binding::Control::choiceGroup:
            b->group->showValue (value);
            break;

        case Binding::Control::knob:
            if (b->showValue != nullptr)
                (this->*b->showValue) (value);
            else
                showKnobValue (*b->slider, value);

            break;
    }
}

void MainEditorComponent::refreshAllParameters()
{
    for (auto i = 0; i < parameters.size(); ++i)
        parameterChanged (i, parameters.getValue (i));
}

void MainEditorComponent::showKnobValue (juce::Slider& slider, float value)
{
    // The text box follows even when the value is unchanged (a typed text it did not take reads back).
    slider.setValue (value, juce::dontSendNotification);
    slider.updateText();
}

void MainEditorComponent::showStereoWidth (float value)
{
    stereoWidthValue = value;

    if (! monoOn)
    {
        controls->stereoWidthSlider->setValue (value, juce::dontSendNotification);
        controls->stereoField->setWidthValue (value);
        controls->stereoWidthLabel->setText (parameterText (widthIndex, value), juce::dontSendNotification);
    }
}

void MainEditorComponent::showPan (float value)
{
    controls->panSlider->setValue (value, juce::dontSendNotification);
    updatePanLabel (value);
}

void MainEditorComponent::showSafeBassFrequency (float value)
{
    safeBassFreqValue = value;

    if (safeBassOn)
        showKnobValue (*controls->safeBassFreqSlider, value);
}

void MainEditorComponent::rememberSafeBassFrequency (float value)
{
    safeBassFreqValue = value;
}

void MainEditorComponent::updateStereoWidthLabel (float value)
{
    stereoWidthValue = value;
    controls->stereoField->setWidthValue (value);

    if (! monoOn)
        controls->stereoWidthLabel->setText (parameterText (widthIndex, value), juce::dontSendNotification);
}

void MainEditorComponent::updatePanLabel (float value)
{
    controls->stereoField->setPanValue (value);
    controls->panLabel->setText (parameterText (panIndex, value), juce::dontSendNotification);
}

//==============================================================================
void MainEditorComponent::sliderValueChanged (juce::Slider* slider)
{
    const auto* b = bindingFor (slider);

    if (b == nullptr)
        return;

    const auto value = (float) slider->getValue();
    processor.setParameterFromEditor (b->parameterName, value, false);

    if (b->followMove != nullptr)
        (this->*b->followMove) (value);
}

void MainEditorComponent::sliderDragStarted (juce::Slider* slider)
{
    if (const auto* b = bindingFor (slider))
        processor.beginParameterGestureFromEditor (b->parameterName);
}

void MainEditorComponent::sliderDragEnded (juce::Slider* slider)
{
    // Ends the host's gesture and the undo step, so that one drag is one step.
    if (const auto* b = bindingFor (slider))
        processor.endParameterGestureFromEditor (b->parameterName);
}

void MainEditorComponent::buttonClicked (juce::Button* button)
{
    auto& c = *controls;

    if (button == c.nextButton.get())
        return processor.nextPreset();
    if (button == c.previousButton.get())
        return processor.previousPreset();
    if (button == c.undoButton.get())
        return processor.undo();
    if (button == c.redoButton.get())
        return processor.redo();
    if (button == c.saveButton.get())
        return openSaveDialog();
    if (button == c.settingsButton.get())
        return showSettingsMenu();

    // A radio click also clicks the toggle it turns off, before the new one is on: only the toggle
    // that ends up on speaks for its group.
    if (button == c.easyModeButton.get() || button == c.expertModeButton.get())
    {
        if (button->getToggleState())
            setExpertMode (button == c.expertModeButton.get());

        return;
    }

    for (const auto& b : bindings)
    {
        if (b.control == Binding::Control::onOffSwitch && b.button == button)
        {
            const auto on = button->getToggleState();
            processor.setParameterFromEditor (b.parameterName, on ? 1.0f : 0.0f, true);

            if (b.switchEffect != nullptr)
                (this->*b.switchEffect) (on);

            return;
        }

        if (b.control == Binding::Control::choiceGroup)
        {
            const auto value = b.group->valueOf (*button);

            if (value < 0.0f)
                continue;

            if (button->getToggleState())
            {
                processor.setParameterFromEditor (b.parameterName, value, true);
                b.group->showValue (value);
            }

            return;
        }
    }
}

void MainEditorComponent::labelTextChanged (juce::Label* label)
{
    auto& c = *controls;
    const auto text = label->getText().trim();

    if (label == c.channelNameLabel.get())
    {
        setChannelName (text);
    }
    else if (label == c.presetNameLabel.get())
    {
        const auto accepted = processor.renamePresetFromEditor (text);

        if (accepted.isEmpty())
        {
            setStatusText (WydenzaAudioProcessor::presetNameRejectedMessage, true);
            c.presetNameLabel->setText (processor.getProgramName (0), juce::dontSendNotification);
        }
        else
        {
            c.presetNameLabel->setText (accepted, juce::dontSendNotification);
        }
    }
    else if (label == c.stereoWidthLabel.get() || label == c.panLabel.get())
    {
        const auto isWidth = label == c.stereoWidthLabel.get();
        const auto parameterIndex = isWidth ? widthIndex : panIndex;
        auto& slider = isWidth ? *c.stereoWidthSlider : *c.panSlider;

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
    if (label == controls->channelNameLabel.get())
        textEditor.applyFontToAllText (textEditor.getFont().withHeight ((float) label->getHeight()));
}

//==============================================================================
void MainEditorComponent::setUndoRedoEnabled (bool canUndo, bool canRedo)
{
    controls->undoButton->setEnabled (canUndo);
    controls->redoButton->setEnabled (canRedo);
    controls->infoScreen->updateButtonStates();
}

void MainEditorComponent::updatePresetName()
{
    controls->presetNameLabel->setText (processor.getPresetDisplayName(), juce::dontSendNotification);
}

void MainEditorComponent::setChannelName (const juce::String& name)
{
    channelNameSet = name.isNotEmpty() && name != noChannelName;
    processor.channelName = channelNameSet ? name : noChannelName;
    controls->channelNameLabel->setText (processor.channelName, juce::dontSendNotification);
    controls->channelNameLabel->setColour (juce::Label::textColourId, channelNameSet ? juce::Colours::black : paletteOrange.darker (0.2f));
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
    controls->applyColourScheme (brightness);
    processor.colourSchemeBrightness = brightness;
    // The editor too: the margins around the panel take its base colour.
    editor.repaint();
}

void MainEditorComponent::setBypassState (bool on)
{
    bypassOn = on;
    controls->stereoField->setBypassed (on);
    updateVisibility();
}

void MainEditorComponent::setMuteAllState (bool on)
{
    muteAllOn = on;
    controls->stereoField->setMutedAll (on);
    updateVisibility();
}

void MainEditorComponent::setSafeBassState (bool on)
{
    auto& knob = *controls->safeBassFreqSlider;
    safeBassOn = on;
    knob.setEnabled (on);
    setSafeBassTextBox();
    knob.setValue (on ? safeBassFreqValue : 0.0f, juce::dontSendNotification);
    knob.updateText();
    repaint();
}

void MainEditorComponent::setSafeBassTextBox()
{
    MainPanelControls::setTextBoxBelow (*controls->safeBassFreqSlider, ! safeBassOn, getWidth(), getHeight());
}

void MainEditorComponent::setMonoState (bool on)
{
    auto& c = *controls;
    monoOn = on;
    c.stereoWidthSlider->setEnabled (! on);
    c.stereoWidthLabel->setEnabled (! on);
    c.stereoWidthLabel->setEditable (false, ! on, true);

    const auto shown = on ? 0.0f : stereoWidthValue;
    c.stereoWidthSlider->setValue (shown, juce::dontSendNotification);
    c.stereoField->setWidthValue (shown);
    c.stereoWidthLabel->setText (parameterText (widthIndex, shown), juce::dontSendNotification);
    c.stereoWidthLabel->setTooltip (on ? stereoWidthMonoTooltip : juce::String (stereoWidthTooltip));
    repaint();
}

void MainEditorComponent::updateModeButtons()
{
    controls->easyModeButton->setToggleState (! expertModeOn, juce::dontSendNotification);
    controls->expertModeButton->setToggleState (expertModeOn, juce::dontSendNotification);

    const auto unmuted = ! resizing && contentReady && ! saveDialogOpen && ! bypassOn && ! muteAllOn;
    controls->showChoiceGroups (unmuted && expertModeOn);
}

void MainEditorComponent::updateVisibility()
{
    const auto content = ! resizing && contentReady;
    const auto active = content && ! saveDialogOpen;
    const auto unbypassed = active && ! bypassOn;
    controls->showTiers (content, active, unbypassed, unbypassed && ! muteAllOn);

    if (resizing)
        controls->saveDialog->setVisible (false);
    else if (saveDialogOpen && contentReady)
        controls->saveDialog->setVisible (true);

    updateModeButtons();
    repaint();
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
    if (e.eventComponent == controls->titleLabel.get())
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
void MainEditorComponent::showSettingsMenu()
{
    settingsMenu->show (editor.getLookAndFeelV1());
}

void MainEditorComponent::resizeToDefault()
{
    processor.lastEditorHeight = processor.defaultEditorHeight.load();
    editor.refreshFromProcessor();
    repaint();
}

void MainEditorComponent::openSaveDialog()
{
    saveDialogOpen = true;
    updateVisibility();
    controls->saveDialog->resetText();
    controls->saveDialog->setVisible (true);
    controls->saveDialog->getTextEditor().grabKeyboardFocus();
    repaint();
}

void MainEditorComponent::closeSaveDialog()
{
    saveDialogOpen = false;
    updateVisibility();
    controls->saveDialog->setVisible (false);
    repaint();
}

void MainEditorComponent::presetSaved()
{
    closeSaveDialog();

    // A save that fails (folder not writable, no usable name) leaves the current preset as it was.
    const auto saved = processor.saveUserPreset (controls->saveDialog->getPresetNameText(), true);
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
    controls->infoScreen->setVisible (true);
    controls->infoScreen->toFront (false);
}

ManagePresetsComponent& MainEditorComponent::getSaveDialog() noexcept { return *controls->saveDialog; }
InfoComponent& MainEditorComponent::getInfoScreen() noexcept { return *controls->infoScreen; }
CvxQ7StereoVuMeterComponent& MainEditorComponent::getInputMeter() noexcept { return *controls->inputMeter; }
CvxQ7StereoVuMeterComponent& MainEditorComponent::getOutputMeter() noexcept { return *controls->outputMeter; }
StereoComponent& MainEditorComponent::getStereoField() noexcept { return *controls->stereoField; }
void MainEditorComponent::setBackgroundCacheEnabled (bool shouldCache) noexcept { artwork->setBackgroundCacheEnabled (shouldCache); }

//==============================================================================
void MainEditorComponent::resized()
{
    artwork->sizeChanged ((float) getHeight());
    controls->place (getWidth(), getHeight());
    setSafeBassTextBox();
}

void MainEditorComponent::paint (juce::Graphics& g)
{
    artwork->paint (g, *this, { schemeBrightness, panelBoxColour, contentReady, resizing, bypassOn, muteAllOn, saveDialogOpen, expertModeOn, monoOn, safeBassOn, channelNameSet });
}
