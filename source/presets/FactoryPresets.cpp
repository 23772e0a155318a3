#include "FactoryPresets.h"

#include "PresetTree.h"

const std::array<FactoryPresets::Row, FactoryPresets::numPresets>& FactoryPresets::getTable() noexcept
{
    static const std::array<Row, numPresets> table { {
        { "Init", 0.5f, 0.0f, 0.286f },
        { "TRACK Stereo 125%", 0.625f, 0.0f, 0.286f },
        { "TRACK Stereo 150%", 0.75f, 0.0f, 0.286f },
        { "TRACK Stereo 200%", 1.0f, 0.0f, 0.286f },
        { "GROUP Stereo 125% + SafeBass", 0.625f, 1.0f, 0.4898f },
        { "GROUP Stereo 150% + SafeBass", 0.75f, 1.0f, 0.4898f },
        { "GROUP Stereo 200% + SafeBass", 1.0f, 1.0f, 0.4898f },
        { "MASTER Stereo 105% + SafeBass", 0.525f, 1.0f, 0.286f },
        { "MASTER Stereo 110% + SafeBass", 0.55f, 1.0f, 0.286f },
        { "MASTER Stereo 115% + SafeBass", 0.575f, 1.0f, 0.286f },
        { "MASTER SafeBass 80 Hz", 0.5f, 1.0f, 0.142f },
        { "MASTER SafeBass 100 Hz", 0.5f, 1.0f, 0.183f },
        { "MASTER SafeBass 150 Hz", 0.5f, 1.0f, 0.286f },
        { "MASTER SafeBass 250 Hz", 0.5f, 1.0f, 0.4898f },
    } };

    return table;
}

void FactoryPresets::applyRow (juce::ValueTree& tree, int index)
{
    if (! juce::isPositiveAndBelow (index, numPresets))
        return;

    const auto& row = getTable()[(size_t) index];

    tree.setProperty (PresetTree::presetNameProperty, row.name, nullptr);
    tree.setProperty (PresetTree::presetIdProperty, index, nullptr);
    tree.setProperty (PresetTree::presetTypeProperty, "Factory", nullptr);

    PresetTree::setParameterValue (tree, "StereoWidth", row.stereoWidth, nullptr);
    PresetTree::setParameterValue (tree, "SafeBass", row.safeBass, nullptr);
    PresetTree::setParameterValue (tree, "SafeBassFreq", row.safeBassFreq, nullptr);
}
