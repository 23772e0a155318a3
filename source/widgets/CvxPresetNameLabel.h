#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The label showing the current preset's name. Its editor opens without the modified marker
    "*", with the whole name selected, and accepts at most 39 characters from the allowed set.
*/
class CvxPresetNameLabel : public juce::Label
{
public:
    CvxPresetNameLabel (const juce::String& nameOfComponent, const juce::String& initialText, const juce::String& allowedCharactersToUse);
    ~CvxPresetNameLabel() override;

    /** The longest name the editor accepts, in characters. */
    int getMaxLength() const noexcept { return maxLength; }

    const juce::String& getAllowedCharacters() const noexcept { return allowedCharacters; }

protected:
    void editorShown (juce::TextEditor*) override;

private:
    int maxLength = 39;
    juce::String allowedCharacters;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CvxPresetNameLabel)
};
