#pragma once

/** The name the standalone app asks JACK for. The framework's JACK device reads it through its
    JUCE_JACK_CLIENT_NAME setting, which the build points at get(); this header is included into that one
    translation unit, so it includes nothing. JACK itself appends "-01", "-02" ... when the name is taken.
*/
class JackClientName
{
public:
    static constexpr const char* defaultName = "Wydenza";

    /** At most this many bytes: JACK's limit of 63 less room for the suffix it may append. */
    static constexpr int maxBytes = 56;

    /** The name set last, or "Wydenza". */
    static const char* get() noexcept;

    /** Sets the name; call it before any JACK device is opened. */
    static void set (const char* utf8Name);

private:
    JackClientName() = delete;
};
