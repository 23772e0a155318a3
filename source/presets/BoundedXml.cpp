#include "BoundedXml.h"

#include <expat.h>

#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

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

/** The framework's writer turns a control character other than tab, line feed and carriage return (a host's
    program name may hold one) into a character reference, which XML does not allow and expat refuses.
    States and presets holding one loaded before, so each such reference is rewritten as one to a private-use
    stand-in, U+F0000 plus the control's code, and the stand-ins are turned back as the tree is built.
*/
namespace ControlReferences
{
    constexpr juce::uint32 standInBase = 0xf0000;

    bool isRewritten (juce::uint32 c) noexcept
    {
        return c >= 1 && c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    }

    bool isStandIn (juce::uint32 c) noexcept
    {
        return isRewritten (c - standInBase);
    }

    /** True when the UTF-8 text holds a stand-in (F3 B0 80 81 to F3 B0 80 9F). */
    bool hasStandIn (const char* text, size_t length) noexcept
    {
        for (auto* p = text; (p = static_cast<const char*> (std::memchr (p, '\xf3', (size_t) (text + length - p)))) != nullptr; ++p)
            if (text + length - p >= 4 && isStandIn (0xf0000u + (juce::uint32) (juce::uint8) p[3] - 0x80u)
                && (juce::uint8) p[1] == 0xb0 && (juce::uint8) p[2] == 0x80)
                return true;

        return false;
    }

    /** The code of a reference ("&#" decimal ";" or "&#x" hex ";") at pos, and where it ends; 0 when there is
        none or its value is beyond Unicode.
    */
    juce::uint32 referenceAt (const char* text, size_t length, size_t pos, size_t& end) noexcept
    {
        if (pos + 2 >= length || text[pos] != '&' || text[pos + 1] != '#')
            return 0;

        const auto hex = text[pos + 2] == 'x';
        juce::uint32 value = 0;
        auto i = pos + (hex ? 3 : 2);
        const auto firstDigit = i;

        for (; i < length && value <= 0x10ffff; ++i)
        {
            const auto digit = hex ? juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (juce::uint8) text[i])
                                   : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);

            if (digit < 0)
                break;

            value = value * (hex ? 16u : 10u) + (juce::uint32) digit;
        }

        if (i == firstDigit || i >= length || text[i] != ';' || value > 0x10ffff)
            return 0;

        end = i + 1;
        return value;
    }

    enum class Outcome
    {
        none,
        rewritten,
        refused
    };

    /** Rewrites the references outside comments and CDATA sections (where "&#" is only text). Refused when the
        document also holds a stand-in of its own, which could not be told apart.
    */
    Outcome rewrite (const char* text, size_t length, std::string& rewritten)
    {
        size_t copied = 0;
        auto referencesStandIn = false;

        for (size_t i = 0; i < length; ++i)
        {
            const auto skipTo = [&] (const char* opening, const char* closing)
            {
                const auto openingLength = std::strlen (opening);

                if (length - i < openingLength || std::memcmp (text + i, opening, openingLength) != 0)
                    return false;

                const std::string_view rest (text + i, length - i);
                const auto close = rest.find (closing, openingLength);
                i = close == std::string_view::npos ? length : i + close + std::strlen (closing) - 1;
                return true;
            };

            if (text[i] == '<' && (skipTo ("<!--", "-->") || skipTo ("<![CDATA[", "]]>")))
                continue;

            size_t end = 0;
            const auto code = referenceAt (text, length, i, end);
            referencesStandIn = referencesStandIn || isStandIn (code);

            if (! isRewritten (code))
                continue;

            rewritten.append (text + copied, i - copied);
            rewritten += "&#x" + juce::String::toHexString ((int) (standInBase + code)).toStdString() + ";";
            copied = end;
            i = end - 1;
        }

        if (copied == 0)
            return Outcome::none;

        if (referencesStandIn || hasStandIn (text, length))
            return Outcome::refused;

        rewritten.append (text + copied, length - copied);
        return Outcome::rewritten;
    }

    /** The text, with its stand-ins turned back into the controls they stand for. */
    juce::String decode (const char* text, size_t length, bool withStandIns)
    {
        auto result = juce::String::fromUTF8 (text, (int) length);

        if (! withStandIns || ! hasStandIn (text, length))
            return result;

        juce::String restored;
        restored.preallocateBytes (length);

        for (auto p = result.getCharPointer(); ! p.isEmpty();)
        {
            const auto c = (juce::uint32) p.getAndAdvance();
            restored += (juce::juce_wchar) (isStandIn (c) ? c - standInBase : c);
        }

        return restored;
    }
} // namespace ControlReferences

/** Builds the framework's elements from expat's events, the way the framework's reader shapes them: text
    between elements (comments removed, whitespace kept) becomes one text element unless it is all
    whitespace, and each CDATA section becomes a text element of its own.
*/
class TreeBuilder
{
public:
    TreeBuilder (XML_Parser p, bool hasStandIns) : parser (p), withStandIns (hasStandIns)
    {
        XML_SetUserData (parser, this);
        XML_SetXmlDeclHandler (parser, onXmlDeclaration);
        XML_SetStartDoctypeDeclHandler (parser, onDoctype);
        XML_SetEntityDeclHandler (parser, onEntityDeclaration);
        XML_SetProcessingInstructionHandler (parser, onProcessingInstruction);
        XML_SetElementHandler (parser, onStart, onEnd);
        XML_SetCharacterDataHandler (parser, onText);
        XML_SetCdataSectionHandler (parser, onCdataStart, onCdataEnd);
    }

    bool wasRefused() const noexcept { return refused; }
    std::unique_ptr<juce::XmlElement> takeRoot() { return std::move (root); }

private:
    struct OpenElement
    {
        std::unique_ptr<juce::XmlElement> element;
        std::vector<std::unique_ptr<juce::XmlElement>> children;
    };

    XML_Parser parser;
    const bool withStandIns;
    std::vector<OpenElement> open;
    std::unique_ptr<juce::XmlElement> root;
    std::string text;
    bool refused = false;

    static TreeBuilder& from (void* userData) { return *static_cast<TreeBuilder*> (userData); }

    juce::String decode (const std::string_view& utf8) const
    {
        return ControlReferences::decode (utf8.data(), utf8.size(), withStandIns);
    }

    void refuse()
    {
        if (! refused)
            XML_StopParser (parser, XML_FALSE);

        refused = true;
    }

    void flushText()
    {
        if (text.empty())
            return;

        const auto content = decode (text);
        text.clear();

        if (content.containsNonWhitespaceChars())
            open.back().children.emplace_back (juce::XmlElement::createTextElement (content));
    }

    // The chunk and the preset body are UTF-8 by definition: a document that says otherwise is not ours,
    // and reading it as UTF-8 could misread its characters.
    static void XMLCALL onXmlDeclaration (void* userData, const XML_Char*, const XML_Char* encoding, int)
    {
        if (encoding != nullptr && ! juce::String (encoding).equalsIgnoreCase ("UTF-8"))
            from (userData).refuse();
    }

    // A DTD is where entities are defined (and expanded without end, or fetched from elsewhere); the
    // plug-in's documents never have one.
    static void XMLCALL onDoctype (void* userData, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        from (userData).refuse();
    }

    static void XMLCALL onEntityDeclaration (void* userData, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
    {
        from (userData).refuse();
    }

    static void XMLCALL onProcessingInstruction (void* userData, const XML_Char*, const XML_Char*)
    {
        from (userData).refuse();
    }

    static void XMLCALL onStart (void* userData, const XML_Char* name, const XML_Char** attributes)
    {
        auto& self = from (userData);

        if (self.refused || (int) self.open.size() >= BoundedXml::maxNestingDepth)
            return self.refuse();

        if (! self.open.empty())
            self.flushText();

        auto element = std::make_unique<juce::XmlElement> (juce::String::fromUTF8 (name));

        // Expat hands the attributes over in document order and has already refused a name given twice.
        for (auto i = 0; attributes[i] != nullptr; i += 2)
        {
            if (i / 2 >= BoundedXml::maxAttributesPerElement)
                return self.refuse();

            element->setAttribute (juce::Identifier (juce::String::fromUTF8 (attributes[i])), self.decode (attributes[i + 1]));
        }

        self.open.push_back ({ std::move (element), {} });
    }

    static void XMLCALL onEnd (void* userData, const XML_Char*)
    {
        auto& self = from (userData);

        if (self.refused)
            return;

        self.flushText();
        auto closed = std::move (self.open.back());
        self.open.pop_back();

        // Prepended from the last: appending walks the list each time.
        for (auto child = closed.children.rbegin(); child != closed.children.rend(); ++child)
            closed.element->prependChildElement (child->release());

        if (self.open.empty())
            self.root = std::move (closed.element);
        else
            self.open.back().children.push_back (std::move (closed.element));
    }

    static void XMLCALL onText (void* userData, const XML_Char* characters, int length)
    {
        auto& self = from (userData);

        if (! self.refused)
            self.text.append (characters, (size_t) length);
    }

    static void XMLCALL onCdataStart (void* userData)
    {
        auto& self = from (userData);

        if (! self.refused)
            self.flushText();
    }

    static void XMLCALL onCdataEnd (void* userData)
    {
        auto& self = from (userData);

        if (self.refused)
            return;

        self.open.back().children.emplace_back (juce::XmlElement::createTextElement (self.decode (self.text)));
        self.text.clear();
    }
};

struct ParserDeleter
{
    void operator() (XML_Parser parser) const noexcept { XML_ParserFree (parser); }
};
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

std::unique_ptr<juce::XmlElement> BoundedXml::parse (const char* text, size_t numBytes)
{
    const auto length = lengthUpToZero (text, numBytes);

    if (length == 0 || length > (size_t) std::numeric_limits<int>::max())
        return {};

    // The encoding is fixed, whatever the document declares; no external entity is ever fetched, as no
    // handler for them is set and a DTD is refused before any declaration in it is read.
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter> parser (XML_ParserCreate ("UTF-8"));

    if (parser == nullptr)
        return {};

    std::string rewritten;
    const auto outcome = ControlReferences::rewrite (text, length, rewritten);

    if (outcome == ControlReferences::Outcome::refused)
        return {};

    const auto withStandIns = outcome == ControlReferences::Outcome::rewritten;
    const auto* source = withStandIns ? rewritten.data() : text;
    const auto sourceLength = withStandIns ? rewritten.size() : length;

    if (sourceLength > (size_t) std::numeric_limits<int>::max())
        return {};

    TreeBuilder builder (parser.get(), withStandIns);

    if (XML_Parse (parser.get(), source, (int) sourceLength, XML_TRUE) != XML_STATUS_OK || builder.wasRefused())
        return {};

    return builder.takeRoot();
}
