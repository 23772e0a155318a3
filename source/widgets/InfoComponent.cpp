#include "InfoComponent.h"

#include "BinaryData.h"
#include "CvxQ7LookAndFeelV1.h"
#include "FittedText.h"
#include "Palette.h"
#include "editor/MainEditorComponent.h"
#include "processor/WydenzaAudioProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
// The height ratio the settings fall back to; RESET DEFAULT SIZE restores it.
constexpr float standardDesktopHeightRatio = 0.5f;
} // namespace

InfoComponent::InfoComponent (WydenzaAudioProcessor& processorToUse, MainEditorComponent& mainPanelToUse, juce::Font* fontToUse)
    : processor (&processorToUse),
      mainPanel (&mainPanelToUse),
      font (fontToUse)
{
    const auto setUpText = [this] (juce::TextEditor& field, const juce::String& text)
    {
        addAndMakeVisible (field);

        if (font != nullptr)
            field.setFont (*font);

        field.setMultiLine (true, false);
        field.setCaretVisible (false);
        field.setColour (juce::TextEditor::backgroundColourId, juce::Colours::white.withAlpha (0.0f));
        field.setColour (juce::TextEditor::highlightColourId, paletteBlue);
        field.setText (text, false);
        field.setReadOnly (true);
    };

    setUpText (aboutText, getAboutText());
    setUpText (legalText, getLegalText());

    const auto makeButton = [this] (const juce::String& text)
    {
        auto button = std::make_unique<juce::TextButton> (text);
        button->setName (text);
        button->setColour (juce::TextButton::buttonColourId, paletteDarkGrey.brighter (0.3f));
        button->setColour (juce::TextButton::buttonOnColourId, paletteBlue);
        button->addListener (this);
        addAndMakeVisible (*button);
        return button;
    };

    closeButton = makeButton ("CLOSE");
    resizeToDefaultButton = makeButton ("RESIZE TO DEFAULT");
    setCurrentAsDefaultButton = makeButton ("SET CURRENT AS DEFAULT");
    resetDefaultSizeButton = makeButton ("RESET DEFAULT SIZE");
    clearUndoHistoryButton = makeButton ("CLEAR UNDO HISTORY");

    logo = juce::Drawable::createFromImageData (BinaryData::LOGO_ZELVORA_01_svg, (size_t) BinaryData::LOGO_ZELVORA_01_svgSize);

    updateButtonStates();
}

InfoComponent::~InfoComponent() = default;

juce::String InfoComponent::getAboutText()
{
    return juce::String ("Wydenza v") + JucePlugin_VersionString + "\n\n"
           + "www.zelvora.example\n"
           + "video.zelvora.example/wydenza\n"
           + "social.zelvora.example/zelvora\n"
           + "\n"
           + "Concept: the Wydenza developers\n"
           + "Graphical User Interface: the Wydenza developers\n"
           + "Programming: the Wydenza developers";
}

juce::String InfoComponent::getLegalText()
{
    return juce::String ("Wydenza is made by ZELVORA. Free software under the GPL, version 3 or later.\n")
           + "VST is a trademark of Steinberg Media Technologies GmbH; LV2 is an open standard of the LV2 project.";
}

void InfoComponent::updateButtonStates()
{
    auto& undoManager = processor->getUndoManager();
    clearUndoHistoryButton->setEnabled (undoManager.canUndo() || undoManager.canRedo());

    const auto notAtDefaultSize = processor->lastEditorHeight != processor->defaultEditorHeight;
    resizeToDefaultButton->setEnabled (notAtDefaultSize);
    setCurrentAsDefaultButton->setEnabled (notAtDefaultSize);

    resetDefaultSizeButton->setEnabled (processor->defaultEditorDesktopHeightRatio != standardDesktopHeightRatio);
    closeButton->setEnabled (true);
}

void InfoComponent::buttonClicked (juce::Button* button)
{
    if (button == closeButton.get())
    {
        // The panel owns this screen and shows it; it is hidden through the panel's own handle on it.
        mainPanel->getInfoScreen().setVisible (false);
    }
    else if (button == resizeToDefaultButton.get())
    {
        processor->lastEditorHeight = processor->defaultEditorHeight.load();
        processor->refreshEditor();
        updateButtonStates();
    }
    else if (button == setCurrentAsDefaultButton.get())
    {
        // The default is kept as a share of the display, so it suits whichever screen opens the editor next.
        processor->defaultEditorDesktopHeightRatio = (float) processor->lastEditorHeight / (float) CvxQ7LookAndFeelV1::getMainDisplayHeight();
        processor->updateDefaultEditorHeight();
        updateButtonStates();
        repaint();
    }
    else if (button == resetDefaultSizeButton.get())
    {
        processor->defaultEditorDesktopHeightRatio = standardDesktopHeightRatio;
        processor->updateDefaultEditorHeight();
        updateButtonStates();
        repaint();
    }
    else if (button == clearUndoHistoryButton.get())
    {
        processor->clearUndoHistory();
        updateButtonStates();
    }
}

void InfoComponent::visibilityChanged()
{
    // The editor's size may have changed while the screen was hidden, and a resize lays this screen out
    // before the processor learns the new height.
    if (isVisible())
        updateButtonStates();
}

void InfoComponent::resized()
{
    heightF = (float) getHeight();

    resizeToDefaultButton->setBoundsRelative (0.013f, 0.03f, 0.168f, 0.07f);
    setCurrentAsDefaultButton->setBoundsRelative (0.013f, 0.26f, 0.168f, 0.14f);
    resetDefaultSizeButton->setBoundsRelative (0.013f, 0.56f, 0.168f, 0.14f);
    clearUndoHistoryButton->setBoundsRelative (0.817f, 0.76f, 0.168f, 0.14f);
    closeButton->setBoundsRelative (0.416f, 0.92f, 0.168f, 0.07f);
    aboutText.setBoundsRelative (0.22f, 0.05f, 0.6f, 0.7f);
    legalText.setBoundsRelative (0.22f, 0.74f, 0.6f, 0.26f);

    // The fields reach past the centre panel on the right; their lines must end on it.
    const auto panelInnerRight = getTextRightLimit();
    aboutText.applyFontToAllText (fontFittingEveryLine (aboutText, 0.07f * heightF, panelInnerRight));
    legalText.applyFontToAllText (fontFittingEveryLine (legalText, 0.055f * heightF, panelInnerRight));

    updateButtonStates();
}

float InfoComponent::getTextRightLimit() const noexcept
{
    // The centre panel's right edge, less its outline and a small margin.
    return 0.8f * 1.5f * heightF - 0.03f * heightF;
}

juce::Font InfoComponent::fontFittingEveryLine (const juce::TextEditor& field, float height, float rightLimit)
{
    // The fields do not wrap: a line wider than the room would be cut off or run over the panel's edge,
    // so the text gets smaller instead.
    auto font = field.getFont().withHeight (height);
    const auto right = juce::jmin (rightLimit, (float) field.getRight());
    const auto available = right - (float) (field.getX() + field.getLeftIndent() + 2 * field.getBorder().getLeftAndRight() + 4);
    auto widest = 0.0f;

    for (const auto& line : juce::StringArray::fromLines (field.getText()))
        widest = juce::jmax (widest, font.getStringWidthFloat (line));

    if (widest > available && available > 0.0f)
        font = font.withHeight (height * available / widest);

    return font;
}

void InfoComponent::drawProportionalText (juce::Graphics& g, const juce::String& text, float x, float y, float w, float h, juce::Justification justification) const
{
    const auto height = heightF;
    const auto width = 1.5f * heightF;

    FittedText::draw (g, *this, text, juce::Rectangle<int> ((int) (width * x), (int) (height * y), (int) (width * w), (int) (height * h)).toFloat(), justification, 1, 0.5f);
}

void InfoComponent::paint (juce::Graphics& g)
{
    const auto h = heightF;
    const auto w = 1.5f * heightF;

    if (font != nullptr)
        g.setFont (font->withHeight (0.055f * h));

    g.fillAll (paletteBlue);

    const auto centrePanel = juce::Rectangle<float> (0.2f * w, 0.03f * h, 0.6f * w, 0.87f * h);
    g.setColour (juce::Colours::lightgrey);
    g.fillRoundedRectangle (centrePanel, 0.05f * h);
    g.setColour (juce::Colours::black.brighter (0.5f));
    g.drawRoundedRectangle (centrePanel, 0.05f * h, 0.015f * h);

    g.setColour (juce::Colours::black);

    const auto centred = juce::Justification::centred;
    const auto defaultHeight = processor->defaultEditorHeight.load();
    drawProportionalText (g, "CURRENT SIZE:", 0.035f, 0.13f, 0.13f, 0.05f, centred);
    drawProportionalText (g, juce::String (juce::roundToInt (w)) + "," + juce::String (juce::roundToInt (h)), 0.035f, 0.18f, 0.13f, 0.05f, centred);
    drawProportionalText (g, "DEFAULT SIZE:", 0.035f, 0.43f, 0.13f, 0.05f, centred);
    drawProportionalText (g, juce::String (juce::roundToInt (1.5 * defaultHeight)) + "," + juce::String (defaultHeight), 0.035f, 0.48f, 0.13f, 0.05f, centred);

    const auto left = juce::Justification::left;
    const auto drawSystemLine = [&] (const juce::String& text, float y)
    {
        // A margin to the screen's right edge: a longer line is squeezed or made smaller.
        drawProportionalText (g, text, 0.82f, y, 0.165f, 0.02f, left);
    };

    drawSystemLine ("SAMPLERATE:", 0.03f);
    drawSystemLine (processor->getSampleRateText(), 0.08f);
    drawSystemLine (juce::SystemStats::getOperatingSystemName(), 0.18f);
    drawSystemLine (juce::SystemStats::isOperatingSystem64Bit() ? "64 bit" : "32 bit", 0.23f);
    drawSystemLine ("Host / DAW :", 0.33f);
    drawSystemLine (juce::PluginHostType().getHostDescription(), 0.38f);
    drawSystemLine ("In / Out :", 0.48f);
    drawSystemLine (juce::String (processor->getTotalNumInputChannels()) + " / " + juce::String (processor->getTotalNumOutputChannels()), 0.53f);

    if (logo != nullptr)
        logo->drawWithin (g, { 0.64f * w, 0.06f * h, 0.15f * w, 0.2f * h }, juce::RectanglePlacement::centred, 1.0f);
}
