#include "ProcessorSetup.h"

#include "RenderError.h"
#include "processor/WydenzaAudioProcessor.h"

namespace
{
bool takesTypedText (ParameterDisplayKind kind)
{
    return kind == ParameterDisplayKind::widthPercent || kind == ParameterDisplayKind::panPosition
           || kind == ParameterDisplayKind::gainDecibels || kind == ParameterDisplayKind::bassFrequency;
}

bool startsWithNumber (const juce::String& text)
{
    const auto t = text.trimStart().trimCharactersAtStart ("+-");
    return t.isNotEmpty() && (juce::CharacterFunctions::isDigit (t[0]) || (t[0] == '.' && juce::CharacterFunctions::isDigit (t[1])));
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

    if (parameter == nullptr || ! setting.containsChar ('='))
        throw RenderError ("unknown parameter '" + name + "' (names: " + parameterNames (processor.getParameterSet()) + ")");

    float value = 0.0f;

    if (takesTypedText (parameter->displayKind))
    {
        const auto lower = text.toLowerCase();
        const bool isWord = (parameter->displayKind == ParameterDisplayKind::bassFrequency && text == "OFF")
                            || (parameter->displayKind == ParameterDisplayKind::panPosition
                                && (lower == "c" || ((lower.startsWithChar ('l') || lower.startsWithChar ('r')) && startsWithNumber (text.substring (1)))));

        if (! isWord && ! startsWithNumber (text))
            throw RenderError ("bad value '" + text + "' for " + name);

        value = parameter->getValueForText (text);

        // A gain box keeps its slider's range; the text rule alone does not.
        if (! (value >= 0.0f && value <= 1.0f))
            throw RenderError ("bad value '" + text + "' for " + name + " (from -12 to 12 dB)");
    }
    else
    {
        if (! startsWithNumber (text) || ! text.containsOnly ("0123456789.+-"))
            throw RenderError ("bad value '" + text + "' for " + name + " (a normalised value from 0 to 1)");

        value = text.getFloatValue();

        if (value < 0.0f || value > 1.0f)
            throw RenderError ("bad value '" + text + "' for " + name + " (a normalised value from 0 to 1)");
    }

    processor.setParameter (parameter->index, value);
    return name + " = " + parameter->getTextForValue (value);
}
