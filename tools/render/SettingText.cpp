#include "SettingText.h"

#include "RenderError.h"

#include <cmath>
#include <cstdio>

namespace
{
struct Form
{
    double lowest, highest;
    const char* unit;
    const char* accepted;
};

std::optional<Form> formFor (ParameterDisplayKind kind)
{
    switch (kind)
    {
        case ParameterDisplayKind::widthPercent:
            return Form { 0.0, 200.0, "%", "a number from 0 to 200, % optional (150, 150%)" };
        case ParameterDisplayKind::gainDecibels:
            return Form { -12.0, 12.0, "dB", "a number from -12 to 12, dB optional (-3, -3dB)" };
        case ParameterDisplayKind::bassFrequency:
            return Form { 10.0, 500.0, "Hz", "a number from 10 to 500, Hz optional (120, 120Hz), or off" };
        case ParameterDisplayKind::panPosition:
            return Form { -100.0, 100.0, "", "C, L or R and a number from 0 to 100 (L30, R12.5), or a number from -100 (left) to 100 (right)" };
        default:
            return {};
    }
}

/** The number of a pan text, left negative; nothing when the text is no pan position. */
std::optional<double> panNumber (const juce::String& text)
{
    if (text.equalsIgnoreCase ("c"))
        return 0.0;

    const auto side = juce::CharacterFunctions::toUpperCase (text[0]);

    if (side == 'L' || side == 'R')
    {
        const auto rest = text.substring (1).trimStart();
        if (rest.startsWithChar ('+') || rest.startsWithChar ('-'))
            return {};

        const auto number = SettingText::parseNumber (rest);
        if (number.has_value() && *number > 100.0)
            return side == 'L' ? -101.0 : 101.0; // beyond the range, whichever side
        return number.has_value() ? std::optional<double> (side == 'L' ? -*number : *number) : std::nullopt;
    }

    return SettingText::parseNumber (text);
}

/** The options of a switch or a choice, in the order of their stored values 0, 0.1, 0.2 (a switch: 0, 1). */
juce::StringArray optionsOf (ParameterDisplayKind kind)
{
    switch (kind)
    {
        case ParameterDisplayKind::panCurveChoice:
            return { "linear", "logarithmic", "sin/cos" };
        case ParameterDisplayKind::panLawChoice:
            return { "-0dB", "-3dB", "-6dB" };
        case ParameterDisplayKind::msModeChoice:
            return { "fix mid", "bind levels" };
        case ParameterDisplayKind::panModeChoice:
            return { "dual pan", "balance" };
        default:
            return { "off", "on" };
    }
}

bool isSwitch (ParameterDisplayKind kind)
{
    return kind != ParameterDisplayKind::panCurveChoice && kind != ParameterDisplayKind::panLawChoice
           && kind != ParameterDisplayKind::msModeChoice && kind != ParameterDisplayKind::panModeChoice;
}

juce::String withoutSpaces (const juce::String& text)
{
    return text.removeCharacters (" \t").toLowerCase();
}

juce::String numberText (double value)
{
    char buffer[32];
    std::snprintf (buffer, sizeof (buffer), "%.9g", value);
    return buffer;
}
} // namespace

std::optional<double> SettingText::parseNumber (const juce::String& text)
{
    auto t = text.getCharPointer();
    int digits = 0;

    if (*t == '+' || *t == '-')
        ++t;

    for (; juce::CharacterFunctions::isDigit (*t); ++t)
        ++digits;

    if (*t == '.')
        for (++t; juce::CharacterFunctions::isDigit (*t); ++t)
            ++digits;

    if (digits == 0 || ! t.isEmpty())
        return {};

    return text.getDoubleValue();
}

juce::String SettingText::check (const juce::String& name, ParameterDisplayKind kind, const juce::String& typed)
{
    const auto form = formFor (kind);
    jassert (form.has_value());

    const auto text = typed.trim();
    const auto refuse = [&]
    { return RenderError ("bad value '" + text + "' for " + name + ": " + form->accepted); };

    if (kind == ParameterDisplayKind::bassFrequency && text.equalsIgnoreCase ("off"))
        return "OFF";

    std::optional<double> number;

    if (kind == ParameterDisplayKind::panPosition)
        number = panNumber (text);
    else
    {
        const juce::String unit (form->unit);
        const auto withoutUnit = text.endsWithIgnoreCase (unit) ? text.dropLastCharacters (unit.length()).trimEnd() : text;
        number = parseNumber (withoutUnit);
    }

    if (! number.has_value() || ! (*number >= form->lowest && *number <= form->highest))
        throw refuse();

    // The pan box takes whole positions; halves go to the even one, as the plug-in shows them.
    if (kind == ParameterDisplayKind::panPosition)
        return numberText (std::nearbyint (*number));

    return numberText (*number);
}

float SettingText::checkChoice (const juce::String& name, ParameterDisplayKind kind, const juce::String& typed)
{
    const auto text = typed.trim();
    const auto options = optionsOf (kind);
    const auto valueOf = [&] (int i)
    { return isSwitch (kind) ? (float) i : 0.1f * (float) i; };

    for (int i = 0; i < options.size(); ++i)
        if (withoutSpaces (text) == withoutSpaces (options[i]))
            return valueOf (i);

    if (const auto number = parseNumber (text))
        for (int i = 0; i < options.size(); ++i)
            if (std::abs (*number - (isSwitch (kind) ? (double) i : 0.1 * i)) < 1.0e-9)
                return valueOf (i);

    juce::StringArray values;
    for (int i = 0; i < options.size(); ++i)
        values.add (isSwitch (kind) ? juce::String (i) : (i == 0 ? juce::String ("0") : "0." + juce::String (i)));

    throw RenderError ("bad value '" + text + "' for " + name + ": " + options.joinIntoString (", ") + " (any case, spaces optional) or "
                       + values.joinIntoString (", "));
}
