#include "BatchRenderCommand.h"

#include "CommandContext.h"
#include "JsonText.h"
#include "OutputFormat.h"
#include "ParallelBatch.h"
#include "ProgressLine.h"
#include "RenderError.h"
#include "RenderSummary.h"
#include "ReportEntry.h"
#include "processor/WydenzaAudioProcessor.h"

#include <atomic>
#include <iostream>
#include <mutex>
#include <numeric>
#include <sstream>
#include <thread>
#include <vector>

int BatchRenderCommand::run (const CommandContext& context, juce::AudioFormatManager& formats)
{
    const auto& options = context.options;
    auto& out = context.messages();
    const auto folder = CommandContext::fileFromArgument (options.outDir);

    if (folder.existsAsFile())
        throw RenderError ("cannot use " + folder.getFullPathName() + " as the output folder: it is a file");

    juce::Array<juce::File> inputs;
    for (const auto& path : options.files)
        inputs.add (CommandContext::fileFromArgument (path));

    // Settings are checked, and shown, once before any file is touched.
    context.makeProcessor (options.presetName, true);

    const auto plot = options.plotPath.isNotEmpty() ? CommandContext::fileFromArgument (options.plotPath) : juce::File();
    for (const auto& input : inputs)
        if (plot != juce::File() && CommandContext::sameFile (input, plot))
            throw RenderError ("the plot would overwrite the input " + input.getFullPathName());

    // Where each file goes, and why it cannot, decided up front in the order given, so that the outcome
    // does not depend on which file a thread happens to finish first.
    struct Task
    {
        juce::File target;
        juce::String shownTarget, refusal, processorError;
        juce::AudioFormat* format = nullptr;
    };

    std::vector<Task> tasks ((size_t) inputs.size());
    juce::Array<juce::File> claimed;

    for (int i = 0; i < inputs.size(); ++i)
    {
        auto& task = tasks[(size_t) i];
        const auto name = inputs[i].getFileNameWithoutExtension() + (options.outExtension.isNotEmpty() ? options.outExtension : inputs[i].getFileExtension());
        task.target = folder.getChildFile (name);
        task.shownTarget = options.outDir + (options.outDir.endsWithChar ('/') ? "" : "/") + name;
        task.format = OutputFormat::forFile (task.target, formats);

        if (task.format == nullptr)
            task.refusal = "cannot write " + name + ": the output's extension must be " + OutputFormat::acceptedExtensions + " (or use --format)";
        else if (claimed.contains (task.target) || task.target == plot)
            task.refusal = "another file already goes to " + task.shownTarget;

        for (const auto& other : inputs)
            if (task.refusal.isEmpty() && CommandContext::sameFile (other, task.target))
                task.refusal = "the output would overwrite the input " + other.getFullPathName();

        if (task.refusal.isEmpty())
            claimed.add (task.target);
    }

    const auto jobs = juce::jmax (1, options.jobs.value_or ((int) std::thread::hardware_concurrency()));
    std::mutex printing;

    // Files rendered at once share one progress line, for the whole batch.
    ProgressLine batchProgress (jobs > 1 && ! options.json && ProgressLine::standardErrorIsTerminal());
    std::vector<std::atomic<double>> shares ((size_t) inputs.size());
    batchProgress.start ("rendering " + juce::String (inputs.size()) + " files");
    std::vector<juce::var> json ((size_t) inputs.size());
    std::atomic<int> failures { 0 };

    // The folder is made when the first file is about to be written, not before: a batch whose inputs
    // all fail leaves nothing behind.
    std::mutex folderLock;
    const auto makeFolder = [&]
    {
        const std::lock_guard<std::mutex> lock (folderLock);
        if (const auto made = folder.createDirectory(); made.failed())
        {
            const auto reason = made.getErrorMessage();
            throw RenderError ("cannot use " + folder.getFullPathName() + " as the output folder: " + reason.substring (0, 1).toLowerCase() + reason.substring (1));
        }
    };

    const auto makeTaskProcessor = [&] (int i) -> std::unique_ptr<WydenzaAudioProcessor>
    {
        try
        {
            return tasks[(size_t) i].refusal.isEmpty() ? context.makeProcessor (options.presetName, false) : nullptr;
        }
        catch (const RenderError& error)
        {
            tasks[(size_t) i].processorError = error.getReason();
            return nullptr;
        }
    };

    const auto renderTask = [&] (int i, WydenzaAudioProcessor* processor)
    {
        const auto& task = tasks[(size_t) i];
        juce::String line, report, warnings;
        line << "[" << (i + 1) << "/" << inputs.size() << "] " << options.files[i] << " -> " << task.shownTarget << ": ";
        ReportEntry entry;
        entry.nameKey = "input";
        entry.name = options.files[i];
        entry.output = task.shownTarget;
        std::optional<FileRenderer::Outcome> outcome;

        try
        {
            if (task.refusal.isNotEmpty())
                throw RenderError (task.refusal);

            auto source = FileRenderer::openStereoFile (inputs[i]);

            if (processor == nullptr)
                throw RenderError (task.processorError);

            makeFolder();

            FileRenderer::Request request;
            request.target = task.target;
            request.format = task.format;
            request.bits = options.bits;
            // One file at a time shows its own progress; files rendered at once share the batch's line.
            if (jobs == 1)
                request.progress = context.progressPrinter ("rendering " + options.files[i]);
            else if (batchProgress.isEnabled())
                request.progress = [&, i] (double done)
                {
                    shares[(size_t) i] = done;
                    // Never while another file's lines are being printed.
                    if (batchProgress.isDue() && printing.try_lock())
                    {
                        batchProgress.update (std::accumulate (shares.begin(), shares.end(), 0.0) / (double) shares.size());
                        printing.unlock();
                    }
                };
            if (options.measures())
                request.analysisSplitHz = options.splitHz;

            std::optional<LoudnessMatch::Result> match;
            outcome = context.renderFile (*processor, *source.reader, request, match);
            entry.outcome = &*outcome;
            entry.warnings = RenderSummary::renderWarnings (source, *outcome);
            if (match.has_value())
            {
                entry.warnings.addArray (match->getWarnings (options.truePeakLimitDbtp));
                entry.loudnessMatch = match->toJson();
            }

            line << "done (" << task.format->getFormatName() << ", " << OutputFormat::describeBitDepth (outcome->depth)
                 << (outcome->dithered ? ", TPDF dither" : "") << ")";
            if (RenderSummary::sum (outcome->clipped) > 0)
                line << (outcome->depth.isFloat ? ", above 0 dBFS " : ", clipped ") << RenderSummary::channelCounts (outcome->clipped);
            if (match.has_value())
                line << "\n  " << match->describe();
            warnings = RenderSummary::warningLines (options.files[i], entry.warnings);

            if (options.report && ! options.json)
            {
                std::ostringstream table;
                RenderSummary::printReportTable (table, options.files[i], task.shownTarget, *outcome);
                report = table.str();
            }

            if (plot != juce::File())
                RenderSummary::writePlot (plot, RenderSummary::makeReportPlot (options, options.presetName, options.files[i], task.shownTarget, *outcome));
        }
        catch (const RenderError& error)
        {
            ++failures;
            line << (outcome.has_value() ? ", but FAILED: " : "FAILED: ") << error.getReason();
            entry.error = error.getReason();
        }

        if (options.report && options.json)
            json[(size_t) i] = entry.toJson();

        const std::lock_guard<std::mutex> lock (printing);
        shares[(size_t) i] = 1.0;
        batchProgress.clear();
        out << line << "\n"
            << report << std::flush;
        // A script that keeps standard output sees the failures on standard error too.
        if (entry.error.isNotEmpty() && &out != &std::cerr)
            std::cerr << "wydenza-render: " << line << std::endl;
        std::cerr << warnings << std::flush;
    };

    ParallelBatch::run (inputs.size(), jobs, makeTaskProcessor, renderTask);

    const auto failed = failures.load();
    out << "rendered " << (inputs.size() - failed) << " of " << inputs.size() << " files"
        << (failed > 0 ? "; " + juce::String (failed) + " failed" : juce::String()) << "\n";

    if (options.report && options.json)
    {
        juce::Array<juce::var> list;
        for (const auto& entry : json)
            if (! entry.isVoid())
                list.add (entry);
        std::cout << JsonText::toString (list) << std::endl;
    }

    return failed == 0 ? 0 : 1;
}
