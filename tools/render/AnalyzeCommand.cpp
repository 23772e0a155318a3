#include "AnalyzeCommand.h"

#include "CommandContext.h"
#include "JsonText.h"
#include "RenderError.h"
#include "RenderSummary.h"
#include "ReportEntry.h"
#include "StereoAnalysisText.h"

#include <iostream>

int AnalyzeCommand::run (const CommandContext& context)
{
    const auto& options = context.options;
    auto& out = context.messages();
    juce::Array<juce::var> json;
    int failures = 0;

    // Measuring leaves the files as they are: a plot named like one of them would replace its audio.
    const auto plot = options.plotPath.isNotEmpty() ? CommandContext::fileFromArgument (options.plotPath) : juce::File();
    for (const auto& path : options.files)
        if (const auto input = CommandContext::fileFromArgument (path); plot != juce::File() && CommandContext::sameFile (input, plot))
            throw RenderError ("the plot would overwrite the input " + input.getFullPathName());

    for (const auto& path : options.files)
    {
        ReportEntry entry;
        entry.name = path;
        std::optional<StereoAnalysisResult> result;

        try
        {
            const auto source = FileRenderer::openStereoFile (CommandContext::fileFromArgument (path));
            result = FileRenderer::analyse (*source.reader, options.splitHz, context.progressPrinter ("analysing " + path));
            entry.analysis = &*result;

            entry.warnings = source.describeProblems (false);
            if (result->nonFiniteLeft + result->nonFiniteRight > 0)
                entry.warnings.add (juce::String (result->nonFiniteLeft + result->nonFiniteRight) + " NaN or infinite samples (L " + juce::String (result->nonFiniteLeft)
                                    + ", R " + juce::String (result->nonFiniteRight) + "), left out of the figures");
            std::cerr << RenderSummary::warningLines (path, entry.warnings);

            if (! options.json)
                out << path << " (" << StereoAnalysisText::describeSignal (*result) << ")\n"
                    << StereoAnalysisText::makeTable ({}, { &*result }) << "\n";

            if (plot != juce::File())
                RenderSummary::writePlot (plot, AnalysisPlot ("STEREO ANALYSIS", { { path, *result } }));
        }
        catch (const RenderError& error)
        {
            ++failures;
            std::cerr << "wydenza-render: " << error.getReason() << std::endl;
            entry.error = error.getReason();
        }

        json.add (entry.toJson());
    }

    if (options.json)
        std::cout << JsonText::toString (json) << std::endl;

    return failures == 0 ? 0 : 1;
}
