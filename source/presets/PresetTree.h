#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <cmath>
#include <limits>

/** The shape shared by the current preset, the factory presets and preset files: a tree of type
    "ZelvoraPreset" with a name and optional metadata, and one "Parameter" child per parameter holding
    "ParameterName" and "Value".
*/
class PresetTree
{
public:
    static const juce::Identifier presetType;
    static const juce::Identifier parameterType;
    static const juce::Identifier pluginNameProperty;
    static const juce::Identifier presetNameProperty;
    static const juce::Identifier presetIdProperty;
    static const juce::Identifier presetTypeProperty;
    static const juce::Identifier modifiedProperty;
    static const juce::Identifier parameterNameProperty;
    static const juce::Identifier valueProperty;

    static constexpr const char* pluginName = "Wydenza";
    static constexpr const char* defaultPresetName = "Init";

    /** A new tree with "Q7PluginName" and "PresetName" set and no parameters. */
    static juce::ValueTree create (const juce::String& presetName);

    /** The name shown to the user: "PresetName" ("Init" when the tree is missing or unnamed); while the
        preset is modified every "*" is removed and one "*" is appended.
    */
    static juce::String getDisplayName (const juce::ValueTree& tree);

    /** True when "Modified" reads "Yes". */
    static bool isModified (const juce::ValueTree& tree);

    /** The first "Parameter" child whose "ParameterName" equals the name, or an invalid tree. */
    static juce::ValueTree findParameter (const juce::ValueTree& tree, const juce::String& parameterName);

    /** Sets "Value" of the named parameter's child through the undo manager, or appends a new child
        without recording anything when there is none.
    */
    static void setParameterValue (juce::ValueTree& tree, const juce::String& parameterName, float value, juce::UndoManager* undoManager);

    /** Makes dest's root properties equal to source's, and each child's properties equal to those of the
        source child with the same "ParameterName" (or empty when source has none), through the undo manager.
    */
    static void copyInto (juce::ValueTree& dest, const juce::ValueTree& source, juce::UndoManager* undoManager);

    /** True for a finite number that stays finite in single precision: a stored value any other way is
        unusable.
    */
    static bool fitsAFloat (double v) noexcept
    {
        return std::isfinite (v) && std::abs (v) <= (double) std::numeric_limits<float>::max();
    }

private:
    PresetTree() = delete;
};
