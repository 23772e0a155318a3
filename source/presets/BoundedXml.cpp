#include "BoundedXml.h"

#include <cstring>
#include <unordered_set>

namespace
{
/** XML allows an attribute name once per element; the framework's reader keeps every copy, and a tree
    made from them holds the name twice, which no writer can reproduce.
*/
bool hasUniqueAttributeNames (const juce::XmlElement& element)
{
    std::unordered_set<juce::String> names;

    for (auto i = 0; i < element.getNumAttributes(); ++i)
        if (! names.insert (element.getAttributeName (i)).second)
            return false;

    for (auto* child : element.getChildIterator())
        if (! hasUniqueAttributeNames (*child))
            return false;

    return true;
}

bool startsWithAt (const char* text, size_t numBytes, size_t pos, const char* prefix) noexcept
{
    const auto prefixLength = std::strlen (prefix);
    return pos + prefixLength <= numBytes && std::memcmp (text + pos, prefix, prefixLength) == 0;
}

/** Position just past the first occurrence of terminator at or after pos, or numBytes + 1 when absent. */
size_t skipPast (const char* text, size_t numBytes, size_t pos, const char* terminator) noexcept
{
    const auto terminatorLength = std::strlen (terminator);

    for (auto i = pos; i + terminatorLength <= numBytes; ++i)
        if (std::memcmp (text + i, terminator, terminatorLength) == 0)
            return i + terminatorLength;

    return numBytes + 1;
}
} // namespace

size_t BoundedXml::lengthUpToZero (const char* data, size_t numBytes) noexcept
{
    if (data == nullptr)
        return 0;

    if (auto* zero = static_cast<const char*> (std::memchr (data, 0, numBytes)))
        return (size_t) (zero - data);

    return numBytes;
}

bool BoundedXml::isValidUtf8 (const char* data, size_t numBytes) noexcept
{
    if (numBytes > (size_t) std::numeric_limits<int>::max() - 1)
        return false;

    if (lengthUpToZero (data, numBytes) != numBytes)
        return false;

    return juce::CharPointer_UTF8::isValidString (data, (int) numBytes);
}

bool BoundedXml::hasSafeStructure (const char* text, size_t numBytes) noexcept
{
    int depth = 0;
    size_t i = 0;

    while (i < numBytes)
    {
        if (text[i] != '<')
        {
            ++i;
            continue;
        }

        if (startsWithAt (text, numBytes, i, "<!--"))
        {
            i = skipPast (text, numBytes, i + 4, "-->");
        }
        else if (startsWithAt (text, numBytes, i, "<![CDATA["))
        {
            i = skipPast (text, numBytes, i + 9, "]]>");
        }
        else if (startsWithAt (text, numBytes, i, "<?"))
        {
            i = skipPast (text, numBytes, i + 2, "?>");
        }
        else if (startsWithAt (text, numBytes, i, "<!"))
        {
            return false; // a DTD or another declaration: never part of the plug-in's documents
        }
        else if (startsWithAt (text, numBytes, i, "</"))
        {
            --depth;
            i = skipPast (text, numBytes, i + 2, ">");
        }
        else
        {
            char quote = 0;
            char lastSignificant = 0;
            ++i;

            for (; i < numBytes; ++i)
            {
                const auto c = text[i];

                if (quote != 0)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                {
                    quote = c;
                }
                else if (c == '>')
                {
                    break;
                }
                else if (! juce::CharacterFunctions::isWhitespace (c))
                {
                    lastSignificant = c;
                }
            }

            if (i >= numBytes)
                return false; // cut off inside a tag

            ++i;

            if (lastSignificant != '/' && ++depth > maxNestingDepth)
                return false;
        }

        if (i > numBytes || depth < 0)
            return false;
    }

    return depth == 0;
}

std::unique_ptr<juce::XmlElement> BoundedXml::parse (const char* text, size_t numBytes)
{
    const auto length = lengthUpToZero (text, numBytes);

    if (length == 0 || ! isValidUtf8 (text, length) || ! hasSafeStructure (text, length))
        return {};

    auto element = juce::parseXML (juce::String::fromUTF8 (text, (int) length));

    if (element == nullptr || ! hasUniqueAttributeNames (*element))
        return {};

    return element;
}
