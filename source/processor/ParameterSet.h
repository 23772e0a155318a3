#pragma once

#include "PluginParameter.h"

#include <memory>
#include <vector>

/** The processor's fixed, ordered list of parameters. Built once on construction and never reordered,
    so lookups need no lock; the values themselves are atomics that any thread may read and write.
*/
class ParameterSet
{
public:
    ParameterSet() = default;

    /** Appends a parameter whose index is the count before the call and whose value is its default. */
    PluginParameter& addParameter (const juce::String& name, float defaultValue, ParameterDisplayKind kind);

    int size() const noexcept { return (int) parameters.size(); }

    /** Index of the first parameter with exactly this name, or -1. */
    int indexOf (const juce::String& name) const noexcept;
    PluginParameter* getByName (const juce::String& name) const noexcept;
    PluginParameter* getByIndex (int index) const noexcept
    {
        return juce::isPositiveAndBelow (index, size()) ? parameters[(size_t) index].get() : nullptr;
    }

    /** 0.0 for an index outside the list. */
    float getValue (int index) const noexcept
    {
        if (auto* p = getByIndex (index))
            return p->getValue();

        return 0.0f;
    }
    /** 0.0 for a name that is not in the list. */
    float getValueByName (const juce::String& name) const noexcept;
    /** Stores the value unchanged; writes outside the list do nothing. */
    void setValue (int index, float value) noexcept;

    /** "invalid parameter" for -1, "reserved" for an index past the list. */
    juce::String getName (int index) const;
    /** Empty for an index outside the list. */
    juce::String getText (int index) const;

private:
    std::vector<std::unique_ptr<PluginParameter>> parameters;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ParameterSet)
};
