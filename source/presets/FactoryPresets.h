#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <array>

/** The fourteen built-in presets. Each sets the stereo width, the safe-bass switch and its crossover;
    every other parameter keeps its default.
*/
class FactoryPresets
{
public:
    struct Row
    {
        const char* name;
        float stereoWidth; // normalised: percent / 200
        float safeBass; // switch: 1 = on
        float safeBassFreq; // normalised: (hertz - 10) / 490
    };

    static constexpr int numPresets = 14;

    /** The table in list order; the position is the preset's "PresetID". */
    static const std::array<Row, numPresets>& getTable() noexcept;

    /** Turns a tree made from the default parameter values into factory preset index: sets "PresetName",
        "PresetID" and "PresetType" = "Factory", then the three values (as the single-precision constants
        widened to double). Records nothing for undo.
    */
    static void applyRow (juce::ValueTree& tree, int index);

private:
    FactoryPresets() = delete;
};
