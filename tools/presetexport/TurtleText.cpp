#include "TurtleText.h"

juce::String TurtleText::quoted (const juce::String& text)
{
    return "\"" + text.replace ("\\", "\\\\").replace ("\"", "\\\"") + "\"";
}

juce::String TurtleText::replaceFile (const juce::File& file, const juce::String& text)
{
    juce::TemporaryFile temporary (file);

    if (! temporary.getFile().replaceWithText (text, false, false, "\n") || ! temporary.overwriteTargetFileWithTemporary())
        return "could not write " + file.getFullPathName();

    return {};
}
