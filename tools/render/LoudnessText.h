#pragma once

#include "StereoAnalysisText.h"

/** The words and numbers a person or a script reads from loudness figures: rows for the printed table
    and the plot, and JSON. An empty figure reads "no reading" in text and null in JSON. */
class LoudnessText
{
public:
    static constexpr const char* noReading = "no reading";

    /** One row per figure, one value per result that holds loudness figures; true peaks above
        -1 dBTP are marked as warnings. */
    static std::vector<StereoAnalysisText::Row> makeRows (const std::vector<const LoudnessResult*>& results);

    /** A plain-text table under the heading "loudness (EBU R128)": one column per result and, for two,
        a column of the changes from the first to the second. */
    static juce::String makeTable (const juce::StringArray& columnTitles, const std::vector<const LoudnessResult*>& results);

    /** The results of those analyses that measured loudness, in order. */
    static std::vector<const LoudnessResult*> of (const std::vector<const StereoAnalysisResult*>& results);

    static juce::var toJson (const LoudnessResult&);

    /** "-23.0 LUFS", or "no reading". */
    static juce::String figureText (const std::optional<double>& value, const char* unit, bool signedRatio = false);
};
