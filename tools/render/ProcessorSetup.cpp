#include "ProcessorSetup.h"

#include "RenderError.h"
#include "SettingText.h"
#include "processor/WydenzaAudioProcessor.h"

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

juce::String ProcessorSetup::applySetting (WydenzaAudioProcessor& processor, const juce::String& setting)
{
    const auto name = setting.upToFirstOccurrenceOf ("=", false, false).trim();
    const auto text = setting.fromFirstOccurrenceOf ("=", false, false).trim();
    auto* parameter = processor.getParameterSet().getByName (name);

    if (parameter != nullptr && ! setting.containsChar ('='))
        throw RenderError (name + " needs a value (--set " + name + "=value)");

    if (parameter == nullptr)
        throw RenderError ("unknown parameter '" + name + "' (names: " + parameterNames (processor.getParameterSet()) + ")");

    float value = 0.0f;

    if (takesTypedText (parameter->displayKind))
    {
        value = parameter->getValueForText (SettingText::check (name, parameter->displayKind, text));
    }
    else
    {
        value = SettingText::checkChoice (name, parameter->displayKind, text);
    }

    processor.setParameter (parameter->index, value);
    return name + " = " + parameter->getTextForValue (value);
}
