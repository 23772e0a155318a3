#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/** Reads XML that comes from outside (host chunks, preset files) into the framework's XmlElement with
    expat, a parser written for hostile input; the framework's own reader was not. A document is refused
    whole when expat finds it not well-formed (which covers broken UTF-8, unknown entities, cut-off
    documents and attributes named twice), when it has a DOCTYPE, a processing instruction other than the
    XML declaration or declares an encoding other than UTF-8, and when it breaks one of the bounds below.
    The one exception: references to control characters, which the framework's writer makes although XML
    does not allow them, read as they always did.
*/
class BoundedXml
{
public:
    /** Deepest element nesting accepted; the plug-in's own documents nest two levels. The framework's
        element and tree code recurse once per level.
    */
    static constexpr int maxNestingDepth = 64;

    /** Most attributes accepted on one element; the plug-in's own documents have a few dozen. The
        framework's element appends an attribute after a walk over those it has, so a read costs the square
        of this per element.
    */
    static constexpr int maxAttributesPerElement = 512;

    /** The number of bytes before the first zero byte, at most numBytes. */
    static size_t lengthUpToZero (const char* data, size_t numBytes) noexcept;

    /** True when the bytes are strict UTF-8 (RFC 3629) with no zero byte. For text read outside XML, such as
        a preset file's header; expat applies the same rules to the XML.
    */
    static bool isValidUtf8 (const char* data, size_t numBytes) noexcept;

    /** Parses UTF-8 bytes (which end at numBytes or at the first zero byte) as one XML document; null when
        they are refused.
    */
    static std::unique_ptr<juce::XmlElement> parse (const char* text, size_t numBytes);

private:
    BoundedXml() = delete;
};
