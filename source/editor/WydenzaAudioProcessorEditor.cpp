#include "WydenzaAudioProcessorEditor.h"

#include "BinaryData.h"
#include "MainEditorComponent.h"
#include "PanelBackground.h"
#include "ProportionalLayout.h"
#include "ResizerForEditor.h"
#include "SignalScopeReader.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/FittedText.h"

WydenzaAudioProcessorEditor::WydenzaAudioProcessorEditor (WydenzaAudioProcessor& processorToEdit)
    : juce::AudioProcessorEditor (processorToEdit),
      audioProcessor (processorToEdit)
{
    const auto displayHeight = CvxQ7LookAndFeelV1::getMainDisplayHeight();

    layout = std::make_unique<ProportionalLayout> ((float) displayHeight, 0.5f, aspectRatio);

    auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::kenyan_coffee_rg_ttf, (size_t) BinaryData::kenyan_coffee_rg_ttfSize);
    editorFont = typeface != nullptr ? std::make_unique<juce::Font> (typeface) : std::make_unique<juce::Font>();

    lookAndFeel = std::make_unique<CvxQ7LookAndFeelV1>();
    setLookAndFeel (lookAndFeel.get());

    mainPanel = std::make_unique<MainEditorComponent> (audioProcessor, *this);
    addAndMakeVisible (*mainPanel);

    scopeReader = std::make_unique<SignalScopeReader> (audioProcessor.getSignalScopeFeed(), mainPanel->getStereoField());
    scopeReader->setShown (audioProcessor.isSignalScopeShown());

    const auto minHeight = (int) ((float) displayHeight * 0.25f);
    const auto maxHeight = (int) ((float) displayHeight * 0.8f);

    constrainer = std::make_unique<juce::ComponentBoundsConstrainer>();
    constrainer->setFixedAspectRatio (aspectRatio);
    constrainer->setSizeLimits ((int) ((float) minHeight * aspectRatio), minHeight, (int) ((float) maxHeight * aspectRatio), maxHeight);

    resizer = std::make_unique<ResizerForEditor> (this, constrainer.get(), mainPanel.get());
    addAndMakeVisible (*resizer);

    startTimer (timerIntervalMs);

    // The stored size is shown as it is, even beyond this display's limits: the first drag brings it in.
    currentHeight = usableStoredHeight();
    setSize (widthForHeight (currentHeight), currentHeight);
}

WydenzaAudioProcessorEditor::~WydenzaAudioProcessorEditor()
{
    stopTimer();
    // First: it idles the processor's feed and points into the panel.
    scopeReader.reset();
    mainPanel.reset();
    setLookAndFeel (nullptr);
    lookAndFeel.reset();
    resizer.reset();
    constrainer.reset();
    editorFont.reset();
    layout.reset();
}

void WydenzaAudioProcessorEditor::setSignalScopeShown (bool shouldBeShown)
{
    audioProcessor.setSignalScopeShown (shouldBeShown);
    scopeReader->setShown (shouldBeShown);
}

bool WydenzaAudioProcessorEditor::isSignalScopeShown() const noexcept
{
    return scopeReader->isShown();
}

int WydenzaAudioProcessorEditor::widthForHeight (int height) noexcept
{
    return juce::roundToInt ((float) height * aspectRatio);
}

int WydenzaAudioProcessorEditor::usableStoredHeight() const noexcept
{
    if (WydenzaAudioProcessor::isUsableEditorHeight (audioProcessor.lastEditorHeight))
        return audioProcessor.lastEditorHeight;

    if (WydenzaAudioProcessor::isUsableEditorHeight (audioProcessor.defaultEditorHeight))
        return audioProcessor.defaultEditorHeight;

    return 540;
}

juce::Rectangle<int> WydenzaAudioProcessorEditor::panelBoundsWithin (juce::Rectangle<int> area) noexcept
{
    const auto width = juce::jmax (0, area.getWidth());
    const auto height = juce::jmax (0, area.getHeight());

    if ((float) width >= (float) height * aspectRatio)
        return area.withSizeKeepingCentre (juce::jmin (width, widthForHeight (height)), height);

    return area.withSizeKeepingCentre (width, juce::jmin (height, juce::roundToInt ((float) width / aspectRatio)));
}

void WydenzaAudioProcessorEditor::resized()
{
    const auto panelBounds = panelBoundsWithin (getLocalBounds());

    // The height is stored first: the panel's children (the info screen) read it while being laid out.
    // A host that collapses its window to nothing must not lose the user's size.
    currentHeight = panelBounds.getHeight();

    if (WydenzaAudioProcessor::isUsableEditorHeight (currentHeight))
        audioProcessor.lastEditorHeight = currentHeight;

    if (mainPanel != nullptr)
        mainPanel->setBounds (panelBounds);

    if (resizer != nullptr)
        resizer->setBounds ((juce::Rectangle<float> (0.9393333f, 0.909f, 0.05f, 0.075f) * juce::Point<float> ((float) panelBounds.getWidth(), (float) panelBounds.getHeight())).toNearestInt() + panelBounds.getPosition());
}

void WydenzaAudioProcessorEditor::paint (juce::Graphics& g)
{
    // The panel's own base colour, so that margins left by a host's frame read as part of the panel.
    const auto brightness = mainPanel != nullptr ? mainPanel->getSchemeBrightness() : audioProcessor.colourSchemeBrightness.load();
    g.fillAll (PanelBackground::baseColour (brightness));

    if (mainPanel == nullptr || mainPanel->getBounds().isEmpty())
        return;

    // Only seen while the panel skips its background during a corner drag.
    const auto panelBounds = mainPanel->getBounds();
    const auto x = (float) panelBounds.getX();
    const auto y = (float) panelBounds.getY();
    const auto w = (float) panelBounds.getWidth();
    const auto h = (float) panelBounds.getHeight();

    juce::Path arrows;
    const auto addArrow = [&] (float x1, float y1, float x2, float y2)
    { arrows.addArrow ({ x + x1 * w, y + y1 * h, x + x2 * w, y + y2 * h }, 0.1f * h, 0.2f * h, 0.2f * h); };

    addArrow (0.4f, 0.4f, 0.2f, 0.2f);
    addArrow (0.6f, 0.4f, 0.8f, 0.2f);
    addArrow (0.4f, 0.6f, 0.2f, 0.8f);
    addArrow (0.6f, 0.6f, 0.8f, 0.8f);
    g.setColour (juce::Colours::black);
    g.fillPath (arrows);

    g.setFont (editorFont->withHeight (0.2f * h * 0.5f));
    const auto textArea = juce::Rectangle<int> ((int) (0.4f * w), (int) (0.4f * h), (int) (0.2f * w), (int) (0.2f * h)) + panelBounds.getPosition();
    FittedText::draw (g, *this, "RESIZING", textArea.toFloat(), juce::Justification::centred, 1, 0.7f);
}

void WydenzaAudioProcessorEditor::timerCallback()
{
    if (mainPanel == nullptr)
        return;

    const auto inLeft = audioProcessor.takeInputPeakLeft();
    const auto inRight = audioProcessor.takeInputPeakRight();
    mainPanel->getInputMeter().setLevels (inLeft, inRight);

    const auto outLeft = audioProcessor.takeOutputPeakLeft();
    const auto outRight = audioProcessor.takeOutputPeakRight();
    mainPanel->getOutputMeter().setLevels (outLeft, outRight);

    // A refresh reloads every parameter, so the changes gathered until now are taken with it.
    const auto changed = audioProcessor.takeChangedParameters();

    if (audioProcessor.takeEditorRefreshRequest())
    {
        refreshFromProcessor();
    }
    else if (changed != 0)
    {
        const auto& parameters = audioProcessor.getParameterSet();

        for (auto i = 0; i < parameters.size(); ++i)
            if ((changed & (juce::uint32 (1) << i)) != 0)
                mainPanel->parameterChanged (i, parameters.getValue (i));
    }

    if (audioProcessor.takeUndoRedoButtonsUpdate())
        mainPanel->setUndoRedoEnabled (audioProcessor.canUndo(), audioProcessor.canRedo());
}

void WydenzaAudioProcessorEditor::refreshFromProcessor()
{
    if (mainPanel != nullptr)
    {
        mainPanel->refreshAllParameters();
        mainPanel->updatePresetName();
        mainPanel->setChannelName (audioProcessor.channelName);
        mainPanel->setExpertMode (audioProcessor.expertMode == 1.0);
        mainPanel->setColourScheme (audioProcessor.colourSchemeBrightness);
        mainPanel->setContentReady();
        mainPanel->repaint();
        mainPanel->updateVisibility();
    }

    // Only the size: a host or the standalone app may hold the editor at an offset inside its window.
    currentHeight = usableStoredHeight();
    setSize (widthForHeight (currentHeight), currentHeight);
}
