#pragma once

#include "AnalysisPlot.h"
#include "FileRenderer.h"
#include "RenderOptions.h"

#include <iosfwd>

/** The words and pictures a render or an analysis leaves for the person who ran it: warnings, counts,
    the before-and-after table and the plot. */
class RenderSummary
{
public:
    /** What a person should know about a render that did not go as plainly as it looks. */
    static juce::StringArray renderWarnings (const FileRenderer::Source&, const FileRenderer::Outcome&);

    /** The warnings as "wydenza-render: warning: FILE: ..." lines. */
    static juce::String warningLines (const juce::String& file, const juce::StringArray& warnings);

    /** The counts of what did not fit, for the summary. */
    static juce::String countLines (const FileRenderer::Outcome&);

    static void printPeaks (std::ostream&, const char* label, float left, float right);
    static juce::String channelCounts (const FileRenderer::ChannelCounts&);
    static juce::int64 sum (const FileRenderer::ChannelCounts&);

    static void printReportTable (std::ostream&, const juce::String& input, const juce::String& output, const FileRenderer::Outcome&);
    static AnalysisPlot makeReportPlot (const RenderOptions&, const juce::String& presetName, const juce::String& input, const juce::String& output, const FileRenderer::Outcome&);

    /** Writes the plot through a temporary file; throws RenderError. */
    static void writePlot (const juce::File& target, const AnalysisPlot&);

private:
    static juce::String describeSettings (const RenderOptions&, const juce::String& presetName);
};
