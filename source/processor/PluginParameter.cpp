#include "PluginParameter.h"

#include <cmath>
#include <cstdio>

namespace
{
constexpr float choiceStep1 = 0.1f;
constexpr float choiceStep2 = 0.2f;

// Nearest integer with halves to even (the FPU's default mode), of a value already in single precision.
juce::String roundedText (float product)
{
    const auto rounded = std::nearbyint (product);

    if (! std::isfinite (rounded) || std::abs (rounded) > 1.0e15f)
        return "0";

    return juce::String ((juce::int64) rounded);
}

juce::String oneDecimalText (float number)
{
    char buffer[64];
    std::snprintf (buffer, sizeof (buffer), "%.1f", (double) number);
    return juce::String (buffer);
}

juce::String switchText (float v, const char* onText, const char* offText)
{
    return v > 0.5f ? onText : offText;
}

float limit01 (float v) noexcept
{
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// The leading decimal number of a text, 0 when it has none. The framework's reader also takes the words
// "nan" and "inf", which are no decimal numbers and must not turn a typed text into NaN or infinity.
float leadingNumber (const juce::String& text)
{
    auto c = text.getCharPointer().findEndOfWhitespace();

    if (*c == '-' || *c == '+')
        ++c;

    if (*c == 'n' || *c == 'N' || *c == 'i' || *c == 'I')
        return 0.0f;

    return text.getFloatValue();
}

float panValueForText (const juce::String& typed)
{
    auto text = typed.trim()
                    .replaceCharacter ('l', '-')
                    .replaceCharacter ('L', '-')
                    .replaceCharacter ('r', '+')
                    .replaceCharacter ('R', '+');

    if (text.startsWithChar ('c'))
        text = "0";

    while (text.startsWithChar ('+'))
        text = text.substring (1);

    text = text.retainCharacters ("0123456789-");
    return limit01 (text.getFloatValue() / 200.0f + 0.5f);
}

float bassFrequencyValueForText (const juce::String& text)
{
    if (text == "OFF")
        return 0.0f;

    const auto hz = leadingNumber (text);

    if (! (hz >= 10.0f))
        return 0.0f;

    return juce::jmin (1.0f, (hz - 10.0f) / 490.0f);
}
} // namespace

PluginParameter::PluginParameter (int indexInSet, const juce::String& parameterName, float defaultNormalisedValue, ParameterDisplayKind kind)
    : index (indexInSet),
      defaultValue (defaultNormalisedValue),
      name (parameterName),
      displayKind (kind),
      value (defaultNormalisedValue)
{
}

juce::String PluginParameter::getTextForValue (float v) const
{
    switch (displayKind)
    {
        case ParameterDisplayKind::widthPercent:
            return roundedText (200.0f * v) + " %";

        case ParameterDisplayKind::panPosition:
            if (v < 0.5f)
                return "L" + roundedText ((0.5f - v) * 200.0f);
            if (v == 0.5f)
                return "C";
            return "R" + roundedText ((v - 0.5f) * 200.0f);

        case ParameterDisplayKind::gainDecibels:
            if (v == 0.5f)
                return "0.0dB";
            return oneDecimalText ((v - 0.5f) * 24.0f) + "dB";

        case ParameterDisplayKind::bassFrequency:
            if (v == 0.0f)
                return "OFF";
            return roundedText (10.0f + 490.0f * v) + "Hz";

        case ParameterDisplayKind::bypassSwitch:
            return switchText (v, "BYPASS ACTIVE", "BYPASS OFF");
        case ParameterDisplayKind::swapSwitch:
            return switchText (v, "SWAP ACTIVE", "NO SWAP");
        case ParameterDisplayKind::phaseSwitch:
            return switchText (v, "PHASE FLIPPED", "PHASE NORMAL");
        case ParameterDisplayKind::monoSwitch:
            return switchText (v, "MONO ACTIVE", "MONO OFF");
        case ParameterDisplayKind::muteAllSwitch:
            return switchText (v, "MUTE-ALL ACTIVE", "NO MUTE-ALL");
        case ParameterDisplayKind::muteMidSwitch:
            return switchText (v, "MUTE-MID ACTIVE", "NO MUTE-MID");
        case ParameterDisplayKind::muteSideSwitch:
            return switchText (v, "MUTE-SIDE ACTIVE", "NO MUTE-SIDE");
        case ParameterDisplayKind::safeBassSwitch:
            return switchText (v, "SAFE BASS ON", "SAFE BASS OFF");

        case ParameterDisplayKind::panCurveChoice:
            return v < choiceStep1 ? "linear" : (v < choiceStep2 ? "logarithmic" : "sin/cos");

        case ParameterDisplayKind::panLawChoice:
            return v < choiceStep1 ? "-0dB" : (v < choiceStep2 ? "-3dB" : "-6dB");

        case ParameterDisplayKind::msModeChoice:
            return v < choiceStep1 ? "fix mid" : "bind levels";

        case ParameterDisplayKind::panModeChoice:
            return v < choiceStep1 ? "dual pan" : "balance";
    }

    return {};
}

float PluginParameter::getValueForText (const juce::String& text) const
{
    switch (displayKind)
    {
        case ParameterDisplayKind::widthPercent:
            return limit01 (leadingNumber (text) / 200.0f);
        case ParameterDisplayKind::panPosition:
            return panValueForText (text);
        case ParameterDisplayKind::gainDecibels:
            return leadingNumber (text) / 24.0f + 0.5f;
        case ParameterDisplayKind::bassFrequency:
            return bassFrequencyValueForText (text);

        case ParameterDisplayKind::bypassSwitch:
        case ParameterDisplayKind::swapSwitch:
        case ParameterDisplayKind::phaseSwitch:
        case ParameterDisplayKind::monoSwitch:
        case ParameterDisplayKind::muteAllSwitch:
        case ParameterDisplayKind::muteMidSwitch:
        case ParameterDisplayKind::muteSideSwitch:
        case ParameterDisplayKind::safeBassSwitch:
        case ParameterDisplayKind::panCurveChoice:
        case ParameterDisplayKind::panLawChoice:
        case ParameterDisplayKind::msModeChoice:
        case ParameterDisplayKind::panModeChoice:
            break;
    }

    return 0.5f;
}
