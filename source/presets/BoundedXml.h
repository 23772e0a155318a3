#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** Parses XML that comes from outside (host chunks, preset files) without trusting it: the text must be
    valid UTF-8, may not declare a DTD (whose entities the parser would expand without limit) and may not
    nest deeper than the parser's recursion can safely follow.
*/
class BoundedXml
{
public:
    /** Deepest element nesting accepted; the plug-in's own documents nest two levels. */
    static constexpr int maxNestingDepth = 64;

    /** The number of bytes before the first zero byte, at most numBytes. */
    static size_t lengthUpToZero (const char* data, size_t numBytes) noexcept;

    /** True when the bytes are well-formed UTF-8 (no zero byte may occur inside the range). */
    static bool isValidUtf8 (const char* data, size_t numBytes) noexcept;

    /** True when the text declares no DTD, every tag, comment and section is complete, every element is
        closed, and elements nest at most maxNestingDepth levels.
    */
    static bool hasSafeStructure (const char* text, size_t numBytes) noexcept;

    /** Parses UTF-8 bytes (which end at numBytes or at the first zero byte) as one XML document;
        null when they are not valid UTF-8, not safe to parse or not well-formed.
    */
    static std::unique_ptr<juce::XmlElement> parse (const char* text, size_t numBytes);

private:
    BoundedXml() = delete;
};
