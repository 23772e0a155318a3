#include "BoundedXml.h"

#include <cstring>
#include <unordered_set>

namespace
{
/** Strict UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing past U+10FFFF. The framework's own check
    lets overlong forms through, which its strings then keep as raw bytes that compare and write back
    differently from the characters they stand for.
*/
bool isStrictUtf8 (const juce::uint8* bytes, size_t numBytes) noexcept
{
    size_t i = 0;

    while (i < numBytes)
    {
        const auto lead = bytes[i];

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        size_t extra = 0;
        juce::uint8 low = 0x80, high = 0xbf;

        if (lead >= 0xc2 && lead <= 0xdf)
        {
            extra = 1;
        }
        else if (lead == 0xe0)
        {
            extra = 2;
            low = 0xa0;
        }
        else if (lead == 0xed)
        {
            extra = 2;
            high = 0x9f;
        }
        else if (lead >= 0xe1 && lead <= 0xef)
        {
            extra = 2;
        }
        else if (lead == 0xf0)
        {
            extra = 3;
            low = 0x90;
        }
        else if (lead >= 0xf1 && lead <= 0xf3)
        {
            extra = 3;
        }
        else if (lead == 0xf4)
        {
            extra = 3;
            high = 0x8f;
        }
        else
        {
            return false;
        }

        if (numBytes - i <= extra || bytes[i + 1] < low || bytes[i + 1] > high)
            return false;

        for (size_t k = 2; k <= extra; ++k)
            if ((bytes[i + k] & 0xc0) != 0x80)
                return false;

        i += extra + 1;
    }

    return true;
}

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

    return isStrictUtf8 (reinterpret_cast<const juce::uint8*> (data), numBytes);
}

bool BoundedXml::hasSafeStructure (const char* text, size_t numBytes) noexcept
{
    int depth = 0;
    size_t i = 0;

    // The declaration ("<?xml ...?>") is the only processing instruction the plug-in writes, and only at the
    // start. Anywhere else the framework's reader skips one as white space and then steps back before it, for ever.
    auto start = (size_t) 0;

    while (start < numBytes && juce::CharacterFunctions::isWhitespace (text[start]))
        ++start;

    // Searched for in the raw bytes: a '<' is never part of a well-formed value or text, so this holds
    // wherever the framework's reader might think it is.
    for (auto k = start + 1; k + 1 < numBytes; ++k)
        if (text[k] == '<' && text[k + 1] == '?')
            return false;

    // A hexadecimal character reference must be whole ("&#x" + one to eight hex digits + ';'): on anything
    // else the framework's reader steps over the character after it, which past the end of the text is a
    // read beyond the buffer.
    for (size_t k = 0; k + 2 < numBytes; ++k)
    {
        if (text[k] != '&' || text[k + 1] != '#' || (text[k + 2] != 'x' && text[k + 2] != 'X'))
            continue;

        auto digits = k + 3;

        while (digits < numBytes && digits - (k + 3) < 8 && juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (juce::uint8) text[digits]) >= 0)
            ++digits;

        if (digits == k + 3 || digits >= numBytes || text[digits] != ';')
            return false;
    }

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
            if (i != start)
                return false;

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
