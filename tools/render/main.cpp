// wydenza-render: runs audio files through the plug-in's processor offline, without a host or display,
// and measures what the processing did to the stereo image.

#include "AnalysisPlot.h"
#include "DemoMix.h"
#include "FileRenderer.h"
#include "InterruptCleanup.h"
#include "JsonText.h"
#include "LoudnessMatch.h"
#include "OutputFile.h"
#include "OutputFormat.h"
#include "ParallelBatch.h"
#include "ProcessorSetup.h"
#include "ProgressLine.h"
#include "RenderError.h"
#include "RenderOptions.h"
#include "StereoAnalysisText.h"
#include "processor/LevelText.h"
#include "processor/SettingsFile.h"
#include "processor/WydenzaAudioProcessor.h"

#include <atomic>
#include <filesystem>
#include <iostream>
#include <limits>
#include <mutex>
#include <numeric>
#include <sstream>
#include <thread>

namespace
{
[[noreturn]] void fail (const juce::String& message)
{
    std::cerr << "wydenza-render: " << message << std::endl;
    std::exit (1);
}

juce::File fileFromArgument (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

bool sameFile (const juce::File& a, const juce::File& b)
{
    std::error_code error;
    if (a == b)
        return true;
    return std::filesystem::exists (b.getFullPathName().toStdString(), error)
           && std::filesystem::equivalent (a.getFullPathName().toStdString(), b.getFullPathName().toStdString(), error);
}

/** Where people read messages: standard output, unless it carries JSON for a script. */
std::ostream& messages (const RenderOptions& options)
{
    return options.json ? std::cerr : std::cout;
}

/** A processor with the preset and settings asked for; the first one tells what it applied. */
std::unique_ptr<WydenzaAudioProcessor> makeProcessor (const RenderOptions& options, const juce::String& presetName, bool announce)
{
    auto processor = std::make_unique<WydenzaAudioProcessor>();

    if (presetName.isNotEmpty())
    {
        ProcessorSetup::applyPreset (*processor, presetName);
        if (announce)
            messages (options) << "  preset " << presetName << "\n";
    }

    for (const auto& setting : options.settings)
    {
        const auto applied = ProcessorSetup::applySetting (*processor, setting);
        if (announce)
            messages (options) << "  " << applied << "\n";
    }

    return processor;
}

/** A progress line on a terminal's standard error for work that takes more than a second; none for JSON. */
std::function<void (double)> progressPrinter (const RenderOptions& options, const juce::String& label)
{
    if (options.json || ! ProgressLine::standardErrorIsTerminal())
        return {};

    auto line = std::make_shared<ProgressLine>();
    line->start (label);
    return [line] (double done)
    {
        line->update (done);
        if (done >= 1.0)
            line->clear();
    };
}

/** A render, matched in loudness when asked. */
FileRenderer::Outcome renderFile (const RenderOptions& options, WydenzaAudioProcessor& processor, juce::AudioFormatReader& reader, const FileRenderer::Request& request, std::optional<LoudnessMatch::Result>& match)
{
    if (! options.matchLoudness)
        return FileRenderer (processor).render (reader, request);

    match = LoudnessMatch::render (processor, reader, request);
    return match->outcome;
}

void printPeaks (std::ostream& out, const char* label, float left, float right)
{
    out << label << " peak  L " << levelToDecibelText (left) << " dBFS   R " << levelToDecibelText (right) << " dBFS\n";
}

juce::String channelCounts (const FileRenderer::ChannelCounts& counts)
{
    return "L " + juce::String (counts[0]) + ", R " + juce::String (counts[1]);
}

juce::int64 sum (const FileRenderer::ChannelCounts& counts)
{
    return counts[0] + counts[1];
}

/** What a person should know about a render that did not go as plainly as it looks. */
juce::StringArray renderWarnings (const FileRenderer::Source& source, const FileRenderer::Outcome& outcome)
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

juce::String warningLines (const juce::String& file, const juce::StringArray& warnings)
{
    juce::String text;
    for (const auto& warning : warnings)
        text << "wydenza-render: warning: " << file << ": " << warning << "\n";
    return text;
}

/** The counts of what did not fit, for the summary. */
juce::String countLines (const FileRenderer::Outcome& outcome)
{
    juce::String text;
    text << (outcome.depth.isFloat ? "above 0 dBFS " : "clipped      ") << "L " << juce::String (outcome.clipped[0]) << "   R " << juce::String (outcome.clipped[1]) << " samples\n";

    if (sum (outcome.inputNonFinite) + sum (outcome.outputNonFinite) > 0)
        text << "non-finite   input " << channelCounts (outcome.inputNonFinite) << "; output " << channelCounts (outcome.outputNonFinite) << ", written as 0\n";

    return text;
}

juce::var countsJson (const FileRenderer::ChannelCounts& counts)
{
    auto* object = new juce::DynamicObject();
    object->setProperty ("left", counts[0]);
    object->setProperty ("right", counts[1]);
    return juce::var (object);
}

juce::var warningsJson (const juce::StringArray& warnings)
{
    juce::Array<juce::var> list;
    for (const auto& warning : warnings)
        list.add (warning);
    return list;
}

juce::String describeSettings (const RenderOptions& options, const juce::String& presetName)
{
    juce::StringArray parts;
    if (presetName.isNotEmpty())
        parts.add ("preset " + presetName);
    parts.addArray (options.settings);
    return parts.isEmpty() ? juce::String ("no settings changed") : parts.joinIntoString (", ");
}

void writePlot (const juce::File& target, const AnalysisPlot& plot)
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

/** One file's entry in the JSON output, and the one place such entries are built: the file, what was
    measured or rendered, its warnings and, when it failed, the error (also after a partial success, such
    as a render whose plot could not be written). */
struct FileEntry
{
    /** "file" for --analyze, "input" for a render. */
    const char* nameKey = "file";
    juce::String name, output;
    const StereoAnalysisResult* analysis = nullptr;
    const FileRenderer::Outcome* outcome = nullptr;
    juce::StringArray warnings;
    juce::String error;
    /** With --match-loudness: the trim and the figures around it. */
    juce::var loudnessMatch;

    juce::var toJson() const
    {
        auto* object = new juce::DynamicObject();
        object->setProperty (nameKey, name);

        if (output.isNotEmpty())
            object->setProperty ("output", output);

        if (analysis != nullptr)
            object->setProperty ("analysis", StereoAnalysisText::toJson (*analysis));

        if (outcome != nullptr)
        {
            object->setProperty ("bits", outcome->depth.isFloat ? juce::var (OutputFormat::nameOf (outcome->depth)) : juce::var (outcome->depth.bits));
            object->setProperty ("dither", outcome->dithered);
            object->setProperty (outcome->depth.isFloat ? "samplesAboveFullScale" : "clippedSamples", countsJson (outcome->clipped));
            object->setProperty ("nonFiniteOutputSamples", countsJson (outcome->outputNonFinite));
        }

        if (analysis != nullptr || outcome != nullptr)
            object->setProperty ("warnings", warningsJson (warnings));

        if (outcome != nullptr && outcome->input.has_value())
        {
            object->setProperty ("before", StereoAnalysisText::toJson (*outcome->input));
            object->setProperty ("after", StereoAnalysisText::toJson (*outcome->output));
        }

        if (! loudnessMatch.isVoid())
            object->setProperty ("loudnessMatch", loudnessMatch);

        if (error.isNotEmpty())
            object->setProperty ("error", error);

        return juce::var (object);
    }
};

void printReportTable (std::ostream& out, const juce::String& input, const juce::String& output, const FileRenderer::Outcome& outcome)
{
    out << "\nstereo image: " << input << " (" << StereoAnalysisText::describeSignal (*outcome.input) << ") -> " << output << "\n"
        << StereoAnalysisText::makeTable ({ "input", "output" }, { &*outcome.input, &*outcome.output });
}

AnalysisPlot makeReportPlot (const RenderOptions& options, const juce::String& presetName, const juce::String& input, const juce::String& output, const FileRenderer::Outcome& outcome)
{
    return AnalysisPlot ("BEFORE AND AFTER   " + describeSettings (options, presetName),
                         { { "INPUT   " + input, *outcome.input }, { "OUTPUT   " + output, *outcome.output } });
}

//==============================================================================
int analyzeFiles (const RenderOptions& options)
{
    auto& out = messages (options);
    juce::Array<juce::var> json;
    int failures = 0;

    for (const auto& path : options.files)
    {
        FileEntry entry;
        entry.name = path;
        std::optional<StereoAnalysisResult> result;

        try
        {
            const auto source = FileRenderer::openStereoFile (fileFromArgument (path));
            result = FileRenderer::analyse (*source.reader, options.splitHz, progressPrinter (options, "analysing " + path));
            entry.analysis = &*result;

            entry.warnings = source.describeProblems (false);
            if (result->nonFiniteLeft + result->nonFiniteRight > 0)
                entry.warnings.add (juce::String (result->nonFiniteLeft + result->nonFiniteRight) + " NaN or infinite samples (L " + juce::String (result->nonFiniteLeft)
                                    + ", R " + juce::String (result->nonFiniteRight) + "), left out of the figures");
            std::cerr << warningLines (path, entry.warnings);

            if (! options.json)
                out << path << " (" << StereoAnalysisText::describeSignal (*result) << ")\n"
                    << StereoAnalysisText::makeTable ({}, { &*result }) << "\n";

            if (options.plotPath.isNotEmpty())
                writePlot (fileFromArgument (options.plotPath), AnalysisPlot ("STEREO ANALYSIS", { { path, *result } }));
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

/** One input to one output, or the built-in demo when no files are named. */
int renderOneFile (const RenderOptions& options, juce::AudioFormatManager& formats)
{
    auto& out = messages (options);
    const auto isDemo = options.files.isEmpty();
    const auto presetName = isDemo && options.presetName.isEmpty() ? juce::String (ProcessorSetup::demoPresetName) : options.presetName;
    const auto inputName = isDemo ? juce::String ("the built-in demo mix") : options.files[0];
    const auto outputName = isDemo ? juce::String ("wydenza-demo.wav") : options.files[1];
    const auto output = fileFromArgument (outputName);
    const auto plot = options.plotPath.isNotEmpty() ? fileFromArgument (options.plotPath) : juce::File();

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
        const auto input = fileFromArgument (options.files[0]);

        if (sameFile (input, output))
            throw RenderError ("the output would overwrite the input " + input.getFullPathName());

        if (plot != juce::File() && sameFile (input, plot))
            throw RenderError ("the plot would overwrite the input " + input.getFullPathName());

        source = FileRenderer::openStereoFile (input);
        out << "Rendering " << input.getFileName() << " (" << source.reader->getFormatName() << ", " << source.reader->sampleRate
            << " Hz, " << source.describeSamples() << ")\n";
    }

    if (plot != juce::File() && sameFile (output, plot))
        throw RenderError ("the plot and the output are the same file");

    auto processor = makeProcessor (options, presetName, true);
    auto& reader = *source.reader;
    FileRenderer::Request request;
    request.target = output;
    request.format = format;
    request.bits = isDemo && ! options.bits.has_value() ? OutputFormat::Depth { 24, false } : options.bits;
    request.progress = progressPrinter (options, "rendering " + inputName);
    if (options.measures())
        request.analysisSplitHz = options.splitHz;

    std::optional<LoudnessMatch::Result> match;
    const auto outcome = renderFile (options, *processor, reader, request, match);
    auto warnings = renderWarnings (source, outcome);
    if (match.has_value())
        warnings.addArray (match->getWarnings (options.truePeakLimitDbtp));

    printPeaks (out, "input ", outcome.inputPeakLeft, outcome.inputPeakRight);
    printPeaks (out, "output", outcome.outputPeakLeft, outcome.outputPeakRight);
    out << countLines (outcome);
    out << "wrote " << output.getFullPathName() << " (" << format->getFormatName() << ", " << OutputFormat::describeBitDepth (outcome.depth)
        << (outcome.dithered ? ", TPDF dither" : "") << ")\n";
    if (match.has_value())
        out << match->describe() << "\n";
    out << std::flush;
    std::cerr << warningLines (inputName, warnings);

    juce::String plotError;

    if (plot != juce::File())
    {
        try
        {
            writePlot (plot, makeReportPlot (options, presetName, isDemo ? juce::String ("demo mix") : inputName, outputName, outcome));
            out << "drew " << plot.getFullPathName() << "\n";
        }
        catch (const RenderError& error)
        {
            plotError = error.getReason();
        }
    }

    if (options.report && options.json)
    {
        FileEntry entry { "input", inputName, outputName, nullptr, &outcome, warnings, plotError };
        if (match.has_value())
            entry.loudnessMatch = match->toJson();
        std::cout << JsonText::toString (juce::Array<juce::var> { entry.toJson() }) << std::endl;
    }
    else if (options.report)
    {
        printReportTable (out, inputName, outputName, outcome);
    }

    if (plotError.isNotEmpty())
    {
        std::cerr << "wydenza-render: " << plotError << std::endl;
        return 1;
    }

    return 0;
}

/** Every input into --out-dir, on as many threads as --jobs asks; a file that fails does not stop the
    others, and each file's lines are printed whole when it is done. */
int renderIntoFolder (const RenderOptions& options, juce::AudioFormatManager& formats)
{
    auto& out = messages (options);
    const auto folder = fileFromArgument (options.outDir);

    if (folder.existsAsFile())
        throw RenderError ("cannot use " + folder.getFullPathName() + " as the output folder");

    juce::Array<juce::File> inputs;
    for (const auto& path : options.files)
        inputs.add (fileFromArgument (path));

    // Settings are checked, and shown, once before any file is touched.
    makeProcessor (options, options.presetName, true);

    const auto plot = options.plotPath.isNotEmpty() ? fileFromArgument (options.plotPath) : juce::File();
    for (const auto& input : inputs)
        if (plot != juce::File() && sameFile (input, plot))
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
            if (task.refusal.isEmpty() && sameFile (other, task.target))
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
            return tasks[(size_t) i].refusal.isEmpty() ? makeProcessor (options, options.presetName, false) : nullptr;
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
        FileEntry entry;
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
                request.progress = progressPrinter (options, "rendering " + options.files[i]);
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
            outcome = renderFile (options, *processor, *source.reader, request, match);
            entry.outcome = &*outcome;
            entry.warnings = renderWarnings (source, *outcome);
            if (match.has_value())
            {
                entry.warnings.addArray (match->getWarnings (options.truePeakLimitDbtp));
                entry.loudnessMatch = match->toJson();
            }

            line << "done (" << task.format->getFormatName() << ", " << OutputFormat::describeBitDepth (outcome->depth)
                 << (outcome->dithered ? ", TPDF dither" : "") << ")";
            if (sum (outcome->clipped) > 0)
                line << (outcome->depth.isFloat ? ", above 0 dBFS " : ", clipped ") << channelCounts (outcome->clipped);
            if (match.has_value())
                line << "\n  " << match->describe();
            warnings = warningLines (options.files[i], entry.warnings);

            if (options.report && ! options.json)
            {
                std::ostringstream table;
                printReportTable (table, options.files[i], task.shownTarget, *outcome);
                report = table.str();
            }

            if (plot != juce::File())
                writePlot (plot, makeReportPlot (options, options.presetName, options.files[i], task.shownTarget, *outcome));
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
} // namespace

int main (int argc, char** argv)
{
    // The renderer reads the user's settings and presets but creates and changes nothing outside its outputs.
    SettingsFile::setReadOnly (true);
    InterruptCleanup::install();

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
    {
        // A name in another encoding would reach the file system as different bytes.
        if (! juce::CharPointer_UTF8::isValidString (argv[i], std::numeric_limits<int>::max()))
            fail ("argument " + juce::String (i) + " is not UTF-8 text; the renderer takes file names in UTF-8 only (rename the file)");
        args.add (juce::String::fromUTF8 (argv[i]));
    }

    try
    {
        const auto options = RenderOptions::parse (args);

        if (options.help)
        {
            std::cout << RenderOptions::getUsage();
            return 0;
        }

        if (options.listPresets)
        {
            WydenzaAudioProcessor processor;
            for (const auto& name : processor.getFactoryPresetNames())
                std::cout << name << "\n";
            for (const auto& name : processor.getUserPresetNames())
                std::cout << name << "\n";
            return 0;
        }

        juce::AudioFormatManager formats;
        formats.registerBasicFormats();

        if (options.analyze)
            return analyzeFiles (options);

        if (options.outDir.isNotEmpty())
            return renderIntoFolder (options, formats);

        try
        {
            return renderOneFile (options, formats);
        }
        catch (const RenderError& error)
        {
            // A script reading the report gets the file's entry with the error, as in a batch.
            if (options.report && options.json)
            {
                FileEntry entry;
                entry.nameKey = "input";
                entry.name = options.files[0];
                entry.output = options.files[1];
                entry.error = error.getReason();
                std::cout << JsonText::toString (juce::Array<juce::var> { entry.toJson() }) << std::endl;
            }
            throw;
        }
    }
    catch (const RenderError& error)
    {
        if (error.getReason() == "expected an input and an output file")
            std::cerr << RenderOptions::getUsage();

        fail (error.getReason());
    }
}
