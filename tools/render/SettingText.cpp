#include "SettingText.h"

#include "RenderError.h"
#include "processor/PluginParameter.h"

#include <cmath>
#include <cstdio>
#include <vector>

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

/** One option of a switch or a choice: its short name, and the name the editor's choice group shows. */
struct Option
{
    const char* shortName;
    const char* panelName;
};

/** The options of a switch or a choice, in the order of their stored values 0, 0.1, 0.2 (a switch: 0, 1).
    The panel names are the labels of the editor's choice groups. */
std::vector<Option> optionsOf (ParameterDisplayKind kind)
{
    switch (kind)
    {
        case ParameterDisplayKind::panCurveChoice:
            return { { "linear", "linear" }, { "logarithmic", "logarithmic" }, { "sin/cos", "sin / cos" } };
        case ParameterDisplayKind::panLawChoice:
            return { { "-0dB", "PAN LAW -0 dB" }, { "-3dB", "-3 dB slope" }, { "-6dB", "-6 dB slope" } };
        case ParameterDisplayKind::msModeChoice:
            return { { "fix mid", "fix MID level" }, { "bind levels", "bind M/S levels" } };
        case ParameterDisplayKind::panModeChoice:
            return { { "dual pan", "dual pan" }, { "balance", "balance" } };
        default:
            return { { "off", nullptr }, { "on", nullptr } };
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
    const auto count = (int) options.size();
    const auto valueOf = [&] (int i)
    { return isSwitch (kind) ? (float) i : 0.1f * (float) i; };

    // What the renderer prints for a switch or a choice is the plug-in's own text: it reads back too.
    const PluginParameter shown (0, name, 0.0f, kind);
    juce::StringArray shortNames, otherNames;

    for (int i = 0; i < count; ++i)
    {
        const auto& option = options[(size_t) i];
        const juce::String panelName (option.panelName != nullptr ? option.panelName : "");
        const auto pluginText = shown.getTextForValue (valueOf (i));

        for (const auto& accepted : { juce::String (option.shortName), panelName, pluginText })
            if (accepted.isNotEmpty() && withoutSpaces (text) == withoutSpaces (accepted))
                return valueOf (i);

        shortNames.add (option.shortName);
        for (const auto& other : { panelName, pluginText })
            if (other.isNotEmpty() && withoutSpaces (other) != withoutSpaces (option.shortName))
                otherNames.addIfNotAlreadyThere (other);
    }

    if (const auto number = parseNumber (text))
        for (int i = 0; i < count; ++i)
            if (std::abs (*number - (isSwitch (kind) ? (double) i : 0.1 * i)) < 1.0e-9)
                return valueOf (i);

    juce::StringArray values;
    for (int i = 0; i < count; ++i)
        values.add (isSwitch (kind) ? juce::String (i) : (i == 0 ? juce::String ("0") : "0." + juce::String (i)));

    throw RenderError ("bad value '" + text + "' for " + name + ": " + shortNames.joinIntoString (", ") + " (any case, spaces optional) or "
                       + values.joinIntoString (", ") + (otherNames.isEmpty() ? juce::String() : "; or as the plug-in shows them: " + otherNames.joinIntoString (", ")));
}
