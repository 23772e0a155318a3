#include "SingleRenderCommand.h"

#include "CommandContext.h"
#include "DemoMix.h"
#include "JsonText.h"
#include "OutputFormat.h"
#include "ProcessorSetup.h"
#include "RenderError.h"
#include "RenderSummary.h"
#include "ReportEntry.h"
#include "processor/WydenzaAudioProcessor.h"

#include <iostream>

int SingleRenderCommand::run (const CommandContext& context, juce::AudioFormatManager& formats)
{
    const auto& options = context.options;
    auto& out = context.messages();
    const auto isDemo = options.files.isEmpty();
    const auto presetName = isDemo && options.presetName.isEmpty() ? juce::String (ProcessorSetup::demoPresetName) : options.presetName;
    const auto inputName = isDemo ? juce::String ("the built-in demo mix") : options.files[0];
    const auto outputName = isDemo ? juce::String ("wydenza-demo.wav") : options.files[1];
    const auto output = CommandContext::fileFromArgument (outputName);
    const auto plot = options.plotPath.isNotEmpty() ? CommandContext::fileFromArgument (options.plotPath) : juce::File();

    auto* format = OutputFormat::forFile (output, formats);
    if (format == nullptr)
        throw RenderError ("cannot write " + output.getFileName() + ": the output's extension must be " + OutputFormat::acceptedExtensions);

    if (output.isDirectory())
        throw RenderError ("cannot write " + output.getFullPathName() + ": it is a folder");

    FileRenderer::Source source;

    if (isDemo)
    {
        source.reader = DemoMix::createReader();
        source.claimedFrames = source.reader->lengthInSamples;
        out << "Rendering the built-in demo mix\n";
    }
    else
    {
        const auto input = CommandContext::fileFromArgument (options.files[0]);

        if (CommandContext::sameFile (input, output))
            throw RenderError ("the output would overwrite the input " + input.getFullPathName());

        if (plot != juce::File() && CommandContext::sameFile (input, plot))
            throw RenderError ("the plot would overwrite the input " + input.getFullPathName());

        source = FileRenderer::openStereoFile (input);
        out << "Rendering " << input.getFileName() << " (" << source.reader->getFormatName() << ", " << source.reader->sampleRate
            << " Hz, " << source.describeSamples() << ")\n";
    }

    if (plot != juce::File() && CommandContext::sameFile (output, plot))
        throw RenderError ("the plot and the output are the same file");

    auto processor = context.makeProcessor (presetName, true);
    auto& reader = *source.reader;
    FileRenderer::Request request;
    request.target = output;
    request.format = format;
    request.bits = isDemo && ! options.bits.has_value() ? OutputFormat::Depth { 24, false } : options.bits;
    request.progress = context.progressPrinter ("rendering " + inputName);
    if (options.measures())
        request.analysisSplitHz = options.splitHz;

    std::optional<LoudnessMatch::Result> match;
    const auto outcome = context.renderFile (*processor, reader, request, match);
    auto warnings = RenderSummary::renderWarnings (source, outcome);
    if (match.has_value())
        warnings.addArray (match->getWarnings (options.truePeakLimitDbtp));

    RenderSummary::printPeaks (out, "input ", outcome.inputPeakLeft, outcome.inputPeakRight);
    RenderSummary::printPeaks (out, "output", outcome.outputPeakLeft, outcome.outputPeakRight);
    out << RenderSummary::countLines (outcome);
    out << "wrote " << output.getFullPathName() << " (" << format->getFormatName() << ", " << OutputFormat::describeBitDepth (outcome.depth)
        << (outcome.dithered ? ", TPDF dither" : "") << ")\n";
    if (match.has_value())
        out << match->describe() << "\n";
    out << std::flush;
    std::cerr << RenderSummary::warningLines (inputName, warnings);

    juce::String plotError;

    if (plot != juce::File())
    {
        try
        {
            RenderSummary::writePlot (plot, RenderSummary::makeReportPlot (options, presetName, isDemo ? juce::String ("demo mix") : inputName, outputName, outcome));
            out << "drew " << plot.getFullPathName() << "\n";
        }
        catch (const RenderError& error)
        {
            plotError = error.getReason();
        }
    }

    if (options.report && options.json)
    {
        ReportEntry entry;
        entry.nameKey = "input";
        entry.name = inputName;
        entry.output = outputName;
        entry.outcome = &outcome;
        entry.warnings = warnings;
        entry.error = plotError;
        if (match.has_value())
            entry.loudnessMatch = match->toJson();
        std::cout << JsonText::toString (juce::Array<juce::var> { entry.toJson() }) << std::endl;
    }
    else if (options.report)
    {
        RenderSummary::printReportTable (out, inputName, outputName, outcome);
    }

    if (plotError.isNotEmpty())
    {
        std::cerr << "wydenza-render: " << plotError << std::endl;
        return 1;
    }

    return 0;
}
