#pragma once

#include "StereoAnalysisResult.h"

/** The words and numbers a person or a script reads from StereoAnalysis results: labelled rows for the
    printed table and the plot, and JSON. */
class StereoAnalysisText
{
public:
    struct Row
    {
        juce::String label;
        /** One text per result, with its unit ("-3.0 dBFS", "+0.98", "n/a"). */
        juce::StringArray values;
        /** Per result: the figure is a warning sign (a negative correlation). */
        juce::Array<bool> warnings;
    };

    /** The rows for results measured side by side; the crossover labels use the first result's split. */
    static std::vector<Row> makeRows (const std::vector<const StereoAnalysisResult*>& results);

    /** A plain-text table, one column per result: a line of column titles (none when there are no
        titles), then one line per row; then the loudness table where loudness was measured. */
    static juce::String makeTable (const juce::StringArray& columnTitles, const std::vector<const StereoAnalysisResult*>& results);

    /** Rows in aligned columns: labels padded right, values right-aligned, three spaces apart. A first line
        holds headingLabel and, when showTitles, the titles; the titles widen their columns either way. */
    static juce::String layOutColumns (const std::vector<Row>& rows, const juce::String& headingLabel, const juce::StringArray& titles, bool showTitles);

    /** "48000 Hz, 6.00 s" */
    static juce::String describeSignal (const StereoAnalysisResult&);

    /** Levels are numbers in dB, or the strings "-inf" and "+inf"; what does not exist is null. The
        loudness figures, where measured, are the object "loudness". */
    static juce::var toJson (const StereoAnalysisResult&);

    /** "-3.0 dBFS", "-inf dB"; a signed ratio shows "+" before a positive figure. */
    static juce::String decibelText (double decibels, const char* unit, bool signedRatio = false);
    static juce::String correlationText (const std::optional<double>& correlation);
};
