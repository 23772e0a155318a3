#include "ManagePresetsComponent.h"

#include "MainEditorComponent.h"
#include "presets/PresetNameCharacters.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/FittedText.h"

namespace
{
const juce::Colour outlineGrey { 0xff555555 };
const juce::Colour accentBlue { 0xff086fa1 };
const juce::Colour buttonGrey = juce::Colour (0xff333333).brighter (0.3f);
} // namespace

ManagePresetsComponent::ManagePresetsComponent (WydenzaAudioProcessor& processorToUse, MainEditorComponent& ownerToUse, juce::Font* fontToUse)
    : processor (processorToUse),
      owner (ownerToUse),
      textEditor ({}, 0),
      font (fontToUse)
{
    resetText();
    addAndMakeVisible (textEditor);
    applyFont();

    // Return and Escape must reach this dialog as listener calls rather than being eaten by the field.
    textEditor.setEscapeAndReturnKeysConsumed (false);
    textEditor.setMultiLine (false, false);
    textEditor.setPopupMenuEnabled (false);
    textEditor.setSelectAllWhenFocused (true);
    textEditor.setColour (juce::TextEditor::outlineColourId, outlineGrey);
    textEditor.setColour (juce::TextEditor::focusedOutlineColourId, accentBlue);
    textEditor.setColour (juce::TextEditor::highlightColourId, accentBlue);
    textEditor.setInputRestrictions (maxNameLength, presetNameCharacters);
    textEditor.addListener (this);

    const auto makeButton = [this] (const juce::String& text, const juce::String& tooltip)
    {
        auto button = std::make_unique<juce::TextButton> (text, tooltip);
        button->setColour (juce::TextButton::buttonColourId, buttonGrey);
        button->addListener (this);
        addAndMakeVisible (*button);
        return button;
    };

    saveButton = makeButton ("SAVE", "SAVE: click to save this as a user preset");
    cancelButton = makeButton ("CANCEL", "CANCEL: DO NOT SAVE this preset and close dialog");

    applyFont();
}

ManagePresetsComponent::~ManagePresetsComponent()
{
    textEditor.removeListener (this);
}

void ManagePresetsComponent::resetText()
{
    rememberedName = processor.getProgramName (0).removeCharacters ("*");
    textEditor.setText (rememberedName, false);
    applyFont();
    textEditor.selectAll();
}

juce::String ManagePresetsComponent::getPresetNameText()
{
    if (textEditor.getTotalNumChars() > 0)
        rememberedName = textEditor.getText();

    return rememberedName;
}

void ManagePresetsComponent::applyFont()
{
    if (font == nullptr)
        return;

    // The field scrolls a name wider than itself out of sight: such a name is shown smaller instead. The
    // room leaves out the borders, the indent and the space the field keeps for its caret.
    auto fitted = *font;
    const auto room = (float) (textEditor.getWidth() - textEditor.getBorder().getLeftAndRight() - textEditor.getLeftIndent() - 12);
    const auto width = fitted.getStringWidthFloat (textEditor.getText());

    if (room > 0.0f && width > room)
        fitted.setHeight (fitted.getHeight() * room / width);

    textEditor.setFont (fitted);
    textEditor.applyFontToAllText (fitted);
}

void ManagePresetsComponent::resized()
{
    widthF = (float) getWidth();
    heightF = (float) getHeight();

    if (font != nullptr)
        font->setHeight (heightF * 0.2f * 0.7f);

    textEditor.setBoundsRelative (0.05f, 0.25f, 0.9f, 0.22f);
    saveButton->setBoundsRelative (0.05f, 0.7f, 0.425f, 0.2f);
    cancelButton->setBoundsRelative (0.525f, 0.7f, 0.425f, 0.2f);
    applyFont();
}

void ManagePresetsComponent::paint (juce::Graphics& g)
{
    if (font != nullptr)
        g.setFont (*font);

    // The corners follow the panel's size, so the dialog matches the panel's other boxes.
    auto* parent = getParentComponent();
    const auto corner = 0.01f * (parent != nullptr ? (float) parent->getHeight() : 0.0f);
    const auto area = juce::Rectangle<float> (0.0f, 0.0f, widthF, heightF);

    g.setColour (juce::Colours::black);
    g.fillRoundedRectangle (area, corner);
    g.setColour (juce::Colours::white.withAlpha (0.1f));
    g.fillRoundedRectangle (area.reduced (0.05f * heightF), corner);

    g.setColour (outlineGrey);
    const juce::Rectangle<int> captionBox (juce::roundToInt (0.05f * widthF), juce::roundToInt (0.04f * widthF), juce::roundToInt (0.9f * widthF), juce::roundToInt (0.2f * widthF));
    FittedText::draw (g, *this, "Preset Name:", captionBox.toFloat(), juce::Justification::topLeft, 1, 1.0f);
}

void ManagePresetsComponent::textEditorReturnKeyPressed (juce::TextEditor&)
{
    owner.presetSaved();
}

void ManagePresetsComponent::textEditorEscapeKeyPressed (juce::TextEditor&)
{
    // Escape only undoes the typing; the dialog stays open with the name as it was.
    resetText();
    textEditor.grabKeyboardFocus();
}

void ManagePresetsComponent::textEditorTextChanged (juce::TextEditor&)
{
    applyFont();
}

void ManagePresetsComponent::buttonClicked (juce::Button* button)
{
    if (button == saveButton.get())
        owner.presetSaved();
    else if (button == cancelButton.get())
        owner.presetSaveCancelled();
}
