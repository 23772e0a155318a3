#include "ParameterSet.h"

PluginParameter& ParameterSet::addParameter (const juce::String& name, float defaultValue, ParameterDisplayKind kind)
{
    parameters.push_back (std::make_unique<PluginParameter> (size(), name, defaultValue, kind));
    return *parameters.back();
}

int ParameterSet::indexOf (const juce::String& name) const noexcept
{
    for (const auto& p : parameters)
        if (p->name == name)
            return p->index;

    return -1;
}

PluginParameter* ParameterSet::getByName (const juce::String& name) const noexcept
{
    return getByIndex (indexOf (name));
}

float ParameterSet::getValueByName (const juce::String& name) const noexcept
{
    return getValue (indexOf (name));
}

void ParameterSet::setValue (int index, float value) noexcept
{
    if (auto* p = getByIndex (index))
        p->setValue (value);
}

juce::String ParameterSet::getName (int index) const
{
    if (index == -1)
        return "invalid parameter";

    if (auto* p = getByIndex (index))
        return p->name;

    return "reserved";
}

juce::String ParameterSet::getText (int index) const
{
    if (auto* p = getByIndex (index))
        return p->getTextForValue (p->getValue());

    return {};
}
