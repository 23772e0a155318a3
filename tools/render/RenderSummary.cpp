#include "RenderSummary.h"

#include "OutputFile.h"
#include "OutputFormat.h"
#include "RenderError.h"
#include "StereoAnalysisText.h"
#include "processor/LevelText.h"

#include <ostream>

void RenderSummary::printPeaks (std::ostream& out, const char* label, float left, float right)
{
    out << label << " peak  L " << levelToDecibelText (left) << " dBFS   R " << levelToDecibelText (right) << " dBFS\n";
}

juce::String RenderSummary::channelCounts (const FileRenderer::ChannelCounts& counts)
{
    return "L " + juce::String (counts[0]) + ", R " + juce::String (counts[1]);
}

juce::int64 RenderSummary::sum (const FileRenderer::ChannelCounts& counts)
{
    return counts[0] + counts[1];
}

juce::StringArray RenderSummary::renderWarnings (const FileRenderer::Source& source, const FileRenderer::Outcome& outcome)
{
    auto warnings = source.describeProblems (true);

    if (sum (outcome.inputNonFinite) > 0)
        warnings.add (juce::String (sum (outcome.inputNonFinite)) + " NaN or infinite input samples (" + channelCounts (outcome.inputNonFinite)
                      + "), left out of the figures");

    if (sum (outcome.outputNonFinite) > 0)
        warnings.add (juce::String (sum (outcome.outputNonFinite)) + " NaN or infinite output samples (" + channelCounts (outcome.outputNonFinite)
                      + ") written as 0 (silence); through the mid/side stage a bad sample in one channel also spoils the other");

    if (sum (outcome.clipped) > 0)
        warnings.add (outcome.depth.isFloat ? juce::String (sum (outcome.clipped)) + " samples above 0 dBFS (" + channelCounts (outcome.clipped) + "), kept in the float file; most players will clip them"
                                            : juce::String (sum (outcome.clipped)) + " samples clipped in the " + OutputFormat::describeBitDepth (outcome.depth) + " output (" + channelCounts (outcome.clipped) + ")");

    return warnings;
}

juce::String RenderSummary::warningLines (const juce::String& file, const juce::StringArray& warnings)
{
    juce::String text;
    for (const auto& warning : warnings)
        text << "wydenza-render: warning: " << file << ": " << warning << "\n";
    return text;
}

juce::String RenderSummary::countLines (const FileRenderer::Outcome& outcome)
{
    juce::String text;
    text << (outcome.depth.isFloat ? "above 0 dBFS " : "clipped      ") << "L " << juce::String (outcome.clipped[0]) << "   R " << juce::String (outcome.clipped[1]) << " samples\n";

    if (sum (outcome.inputNonFinite) + sum (outcome.outputNonFinite) > 0)
        text << "non-finite   input " << channelCounts (outcome.inputNonFinite) << "; output " << channelCounts (outcome.outputNonFinite) << ", written as 0\n";

    return text;
}

juce::String RenderSummary::describeSettings (const RenderOptions& options, const juce::String& presetName)
{
    juce::StringArray parts;
    if (presetName.isNotEmpty())
        parts.add ("preset " + presetName);
    parts.addArray (options.settings);
    return parts.isEmpty() ? juce::String ("no settings changed") : parts.joinIntoString (", ");
}

void RenderSummary::writePlot (const juce::File& target, const AnalysisPlot& plot)
{
    OutputFile file (target);

    {
        auto stream = file.takeStream();
        if (! juce::PNGImageFormat().writeImageToStream (plot.draw(), *stream))
        {
            file.throwIfFailed();
            throw RenderError ("cannot write " + target.getFullPathName());
        }
    }

    file.commit();
}

void RenderSummary::printReportTable (std::ostream& out, const juce::String& input, const juce::String& output, const FileRenderer::Outcome& outcome)
{
    out << "\nstereo image: " << input << " (" << StereoAnalysisText::describeSignal (*outcome.input) << ") -> " << output << "\n"
        << StereoAnalysisText::makeTable ({ "input", "output" }, { &*outcome.input, &*outcome.output });
}

AnalysisPlot RenderSummary::makeReportPlot (const RenderOptions& options, const juce::String& presetName, const juce::String& input, const juce::String& output, const FileRenderer::Outcome& outcome)
{
    return AnalysisPlot ("BEFORE AND AFTER   " + describeSettings (options, presetName),
                         { { "INPUT   " + input, *outcome.input }, { "OUTPUT   " + output, *outcome.output } });
}
