#include "PresetTree.h"

const juce::Identifier PresetTree::presetType { "ZelvoraPreset" };
const juce::Identifier PresetTree::parameterType { "Parameter" };
const juce::Identifier PresetTree::pluginNameProperty { "Q7PluginName" };
const juce::Identifier PresetTree::presetNameProperty { "PresetName" };
const juce::Identifier PresetTree::presetIdProperty { "PresetID" };
const juce::Identifier PresetTree::presetTypeProperty { "PresetType" };
const juce::Identifier PresetTree::modifiedProperty { "Modified" };
const juce::Identifier PresetTree::parameterNameProperty { "ParameterName" };
const juce::Identifier PresetTree::valueProperty { "Value" };

juce::ValueTree PresetTree::create (const juce::String& presetName)
{
    juce::ValueTree tree (presetType);
    tree.setProperty (pluginNameProperty, pluginName, nullptr);
    tree.setProperty (presetNameProperty, presetName, nullptr);
    return tree;
}

juce::String PresetTree::getDisplayName (const juce::ValueTree& tree)
{
    if (! tree.isValid())
        return defaultPresetName;

    auto name = tree.getProperty (presetNameProperty, defaultPresetName).toString();

    if (isModified (tree))
        return name.removeCharacters ("*") + "*";

    return name;
}

bool PresetTree::isModified (const juce::ValueTree& tree)
{
    return tree.getProperty (modifiedProperty).toString() == "Yes";
}

juce::ValueTree PresetTree::findParameter (const juce::ValueTree& tree, const juce::String& parameterName)
{
    for (const auto& child : tree)
        if (child.hasProperty (parameterNameProperty) && child.getProperty (parameterNameProperty).toString() == parameterName)
            return child;

    return {};
}

void PresetTree::setParameterValue (juce::ValueTree& tree, const juce::String& parameterName, float value, juce::UndoManager* undoManager)
{
    if (! tree.isValid())
        return;

    if (auto child = findParameter (tree, parameterName); child.isValid())
    {
        child.setProperty (valueProperty, (double) value, undoManager);
        return;
    }

    juce::ValueTree child (parameterType);
    child.setProperty (parameterNameProperty, parameterName, nullptr);
    child.setProperty (valueProperty, (double) value, nullptr);
    tree.appendChild (child, nullptr);
}

void PresetTree::copyInto (juce::ValueTree& dest, const juce::ValueTree& source, juce::UndoManager* undoManager)
{
    if (! dest.isValid() || ! source.isValid())
        return;

    dest.copyPropertiesFrom (source, undoManager);

    for (auto child : dest)
    {
        const auto match = child.hasProperty (parameterNameProperty)
                               ? findParameter (source, child.getProperty (parameterNameProperty).toString())
                               : juce::ValueTree();

        if (match.isValid())
            child.copyPropertiesFrom (match, undoManager);
        else
            child.removeAllProperties (undoManager);
    }
}
