#include "JsonText.h"

juce::String JsonText::toString (const juce::var& value)
{
    const auto text = juce::JSON::toString (value, false, 6);

    // Outside strings the writer puts no backslash; inside them every backslash opens an escape.
    juce::String result;
    result.preallocateBytes (text.getNumBytesAsUTF8() + 16);

    for (auto c = text.getCharPointer(); ! c.isEmpty();)
    {
        const auto character = c.getAndAdvance();

        if (character != '\\')
        {
            result << juce::String::charToString (character);
            continue;
        }

        const auto escaped = c.getAndAdvance();
        result << (escaped == 'a' ? juce::String ("\\u0007") : "\\" + juce::String::charToString (escaped));
    }

    return result;
}
