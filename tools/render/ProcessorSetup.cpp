#include "ProcessorSetup.h"

#include "RenderError.h"
#include "SettingText.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cmath>
#include <cstdio>

namespace
{
bool takesTypedText (ParameterDisplayKind kind)
{
    return kind == ParameterDisplayKind::widthPercent || kind == ParameterDisplayKind::panPosition
           || kind == ParameterDisplayKind::gainDecibels || kind == ParameterDisplayKind::bassFrequency;
}

juce::String parameterNames (const ParameterSet& parameters)
{
    juce::StringArray all;
    for (int i = 0; i < parameters.size(); ++i)
        all.add (parameters.getName (i));
    return all.joinIntoString (", ");
}
} // namespace

void ProcessorSetup::applyPreset (WydenzaAudioProcessor& processor, const juce::String& name)
{
    const auto factoryIndex = processor.getFactoryPresetNames().indexOf (name);

    if (factoryIndex >= 0)
        processor.selectFactoryPreset (factoryIndex);
    else if (! processor.getUserPresetNames().contains (name) || ! processor.loadUserPresetByName (name))
        throw RenderError ("unknown preset '" + name + "' (wydenza-render --list-presets lists them)");
}

float ProcessorSetup::valueForText (const PluginParameter& parameter, const juce::String& text)
{
    if (takesTypedText (parameter.displayKind))
        return parameter.getValueForText (SettingText::check (parameter.name, parameter.displayKind, text));

    return SettingText::checkChoice (parameter.name, parameter.displayKind, text);
}

juce::String ProcessorSetup::textForValue (const PluginParameter& parameter, float value)
{
    const auto readsBack = [&] (const juce::String& text)
    {
        try
        {
            return valueForText (parameter, text) == value;
        }
        catch (const RenderError&)
        {
            return false;
        }
    };

    // The plug-in's own text where it is exact; it rounds the width and the crossover to whole numbers
    // and the gains to one decimal, which would print one value and render another.
    const auto shown = parameter.getTextForValue (value);
    if (readsBack (shown))
        return shown;

    const auto v = (double) value;
    double number = 0.0;
    const char* unit = "";

    switch (parameter.displayKind)
    {
        case ParameterDisplayKind::widthPercent:
            number = 200.0 * v;
            unit = " %";
            break;
        case ParameterDisplayKind::gainDecibels:
            number = (v - 0.5) * 24.0;
            unit = "dB";
            break;
        case ParameterDisplayKind::bassFrequency:
            number = 10.0 + 490.0 * v;
            unit = "Hz";
            break;
        default:
            return shown;
    }

    // The fewest digits that read back as the same value.
    for (int digits = 1; digits <= 17; ++digits)
    {
        char buffer[40];
        std::snprintf (buffer, sizeof (buffer), "%.*f", juce::jmax (0, digits - 1 - (int) std::floor (std::log10 (juce::jmax (1.0, std::abs (number))))), number);
        const auto text = juce::String (buffer) + unit;
        if (readsBack (text))
            return text;
    }

    return shown;
}

juce::String ProcessorSetup::applySetting (WydenzaAudioProcessor& processor, const juce::String& setting)
{
    const auto name = setting.upToFirstOccurrenceOf ("=", false, false).trim();
    const auto text = setting.fromFirstOccurrenceOf ("=", false, false).trim();
    auto* parameter = processor.getParameterSet().getByName (name);

    if (parameter != nullptr && ! setting.containsChar ('='))
        throw RenderError (name + " needs a value (--set " + name + "=value)");

    if (parameter == nullptr)
        throw RenderError ("unknown parameter '" + name + "' (names: " + parameterNames (processor.getParameterSet()) + ")");

    const auto value = valueForText (*parameter, text);
    processor.setParameter (parameter->index, value);
    return name + " = " + textForValue (*parameter, value);
}

juce::StringArray ProcessorSetup::describeChangedSettings (const WydenzaAudioProcessor& processor)
{
    juce::StringArray lines;
    const auto& parameters = processor.getParameterSet();

    for (int i = 0; i < parameters.size(); ++i)
        if (const auto* parameter = parameters.getByIndex (i); parameter != nullptr && parameter->getValue() != parameter->defaultValue)
            lines.add (parameter->name + " = " + textForValue (*parameter, parameter->getValue()));

    return lines;
}
