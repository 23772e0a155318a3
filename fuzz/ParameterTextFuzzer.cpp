// getValueForText of every parameter kind on any text, and getTextForValue on any float. A value read from
// text stays in its kind's range, and a value in 0..1 survives its own text within the text's precision.
#include "FuzzHelpers.h"
#include "presets/BoundedXml.h"
#include "processor/PluginParameter.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr std::array<ParameterDisplayKind, 16> allKinds {
    ParameterDisplayKind::widthPercent,
    ParameterDisplayKind::panPosition,
    ParameterDisplayKind::gainDecibels,
    ParameterDisplayKind::bassFrequency,
    ParameterDisplayKind::bypassSwitch,
    ParameterDisplayKind::swapSwitch,
    ParameterDisplayKind::phaseSwitch,
    ParameterDisplayKind::monoSwitch,
    ParameterDisplayKind::muteAllSwitch,
    ParameterDisplayKind::muteMidSwitch,
    ParameterDisplayKind::muteSideSwitch,
    ParameterDisplayKind::safeBassSwitch,
    ParameterDisplayKind::panCurveChoice,
    ParameterDisplayKind::panLawChoice,
    ParameterDisplayKind::msModeChoice,
    ParameterDisplayKind::panModeChoice
};

const std::vector<std::unique_ptr<PluginParameter>>& parameters()
{
    static const auto list = []
    {
        std::vector<std::unique_ptr<PluginParameter>> made;

        for (size_t i = 0; i < allKinds.size(); ++i)
            made.push_back (std::make_unique<PluginParameter> ((int) i, "P" + juce::String ((int) i), 0.5f, allKinds[i]));

        return made;
    }();

    return list;
}

/** How far a value may move through its own text: half of the text's last step. */
float roundTripTolerance (ParameterDisplayKind kind)
{
    switch (kind)
    {
        case ParameterDisplayKind::widthPercent:
            return 0.5f / 200.0f;
        case ParameterDisplayKind::panPosition:
            return 0.5f / 200.0f;
        case ParameterDisplayKind::gainDecibels:
            return 0.05f / 24.0f;
        case ParameterDisplayKind::bassFrequency:
            return 0.5f / 490.0f;
        default:
            return -1.0f; // switches and choices do not read text
    }
}

void checkRoundTrip (const PluginParameter& parameter, float value)
{
    const auto kind = parameter.displayKind;
    fuzzing::check (parameter.getTextForValue (value).isNotEmpty(), "any value has a text");

    const auto tolerance = roundTripTolerance (kind);

    if (tolerance > 0.0f && value >= 0.0f && value <= 1.0f)
    {
        const auto back = parameter.getValueForText (parameter.getTextForValue (value));
        // 10 Hz and below read "OFF", which is 0.
        const auto expected = kind == ParameterDisplayKind::bassFrequency && 10.0f + 490.0f * value < 10.5f ? 0.0f : value;
        fuzzing::check (std::abs (back - expected) <= tolerance + 1.0e-6f, "a value survives its own text");
    }
}

void checkKind (const PluginParameter& parameter, const juce::String& text, float value)
{
    const auto kind = parameter.displayKind;
    const auto fromText = parameter.getValueForText (text);
    fuzzing::check (! std::isnan (fromText), "a text never reads as NaN");

    // Gains are not limited (the text box's slider keeps its own range): a huge number may read as infinite.
    if (kind != ParameterDisplayKind::gainDecibels)
    {
        if (roundTripTolerance (kind) > 0.0f)
            fuzzing::check (fromText >= 0.0f && fromText <= 1.0f, "a limited kind reads text into 0..1");
        else
            fuzzing::check (fromText == 0.5f, "switches and choices read every text as 0.5");

        fuzzing::check (parameter.getTextForValue (fromText).isNotEmpty(), "the value read has a text");
    }

    checkRoundTrip (parameter, value);
}

/** UTF-8 when the bytes are UTF-8, otherwise Latin-1, as a host would have to read them. */
juce::String textOf (const uint8_t* data, size_t size)
{
    const auto* chars = reinterpret_cast<const char*> (data);

    // The framework's own check passes overlong forms, which its strings then mishandle: only strict UTF-8
    // (as the plug-in's readers demand) is taken as UTF-8.
    if (BoundedXml::isValidUtf8 (chars, size))
        return juce::String::fromUTF8 (chars, (int) size);

    std::vector<juce::juce_wchar> wide (data, data + size);
    wide.push_back (0);
    return juce::String (juce::CharPointer_UTF32 (wide.data()));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // The first four bytes are also a float for the value-to-text direction.
    float value = 0.5f;

    if (size >= sizeof (float))
        std::memcpy (&value, data, sizeof (float));

    const auto text = textOf (data, size);

    for (const auto& parameter : parameters())
        checkKind (*parameter, text, value);

    return 0;
}
