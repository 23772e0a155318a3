#include "CvxPresetNameLabel.h"

CvxPresetNameLabel::CvxPresetNameLabel (const juce::String& nameOfComponent, const juce::String& initialText, const juce::String& allowedCharactersToUse)
    : juce::Label (nameOfComponent, initialText),
      allowedCharacters (allowedCharactersToUse)
{
}

CvxPresetNameLabel::~CvxPresetNameLabel() = default;

void CvxPresetNameLabel::editorShown (juce::TextEditor* textEditor)
{
    juce::Component::SafePointer<juce::TextEditor> editorToPrepare (textEditor);

    juce::Label::editorShown (textEditor);

    // A listener may already have closed the editor again.
    if (editorToPrepare == nullptr)
        return;

    const auto name = editorToPrepare->getText().removeCharacters ("*");

    editorToPrepare->setInputRestrictions (maxLength, allowedCharacters);
    editorToPrepare->setText (name, true);
    editorToPrepare->setHighlightedRegion ({ 0, name.length() });
}
