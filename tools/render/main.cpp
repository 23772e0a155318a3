// wydenza-render: runs audio files through the plug-in's processor offline, without a host or display,
// and measures what the processing did to the stereo image.

#include "AnalysisPlot.h"
#include "DemoMix.h"
#include "FileRenderer.h"
#include "OutputFormat.h"
#include "ProcessorSetup.h"
#include "RenderError.h"
#include "RenderOptions.h"
#include "StereoAnalysisText.h"
#include "processor/LevelText.h"
#include "processor/WydenzaAudioProcessor.h"

#include <filesystem>
#include <iostream>

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

std::function<void (double)> progressPrinter (double seconds)
{
    if (seconds <= 30.0)
        return {};

    return [lastTenth = -1] (double done) mutable
    {
        const auto percent = (int) (100.0 * done);
        if (percent / 10 != lastTenth)
            std::cerr << "\r  progress " << percent << " %" << (done >= 1.0 ? "\n" : "") << std::flush;
        lastTenth = percent / 10;
    };
}

void printPeaks (std::ostream& out, const char* label, float left, float right)
{
    out << label << " peak  L " << levelToDecibelText (left) << " dBFS   R " << levelToDecibelText (right) << " dBFS\n";
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
    juce::TemporaryFile temp (target);

    {
        juce::FileOutputStream stream (temp.getFile());
        if (! stream.openedOk() || ! juce::PNGImageFormat().writeImageToStream (plot.draw(), stream))
            throw RenderError ("cannot write " + target.getFullPathName());
    }

    if (! temp.overwriteTargetFileWithTemporary())
        throw RenderError ("cannot replace " + target.getFullPathName());
}

juce::var reportJson (const juce::String& input, const juce::String& output, const FileRenderer::Outcome& outcome)
{
    auto* object = new juce::DynamicObject();
    object->setProperty ("input", input);
    object->setProperty ("output", output);
    object->setProperty ("bits", outcome.bitsWritten == 32 ? juce::var ("32f") : juce::var (outcome.bitsWritten));
    object->setProperty ("dither", outcome.dithered);
    object->setProperty ("before", StereoAnalysisText::toJson (*outcome.input));
    object->setProperty ("after", StereoAnalysisText::toJson (*outcome.output));
    return juce::var (object);
}

juce::var errorJson (const char* key, const juce::String& file, const juce::String& reason)
{
    auto* object = new juce::DynamicObject();
    object->setProperty (key, file);
    object->setProperty ("error", reason);
    return juce::var (object);
}

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
int analyzeFiles (const RenderOptions& options, juce::AudioFormatManager& formats)
{
    auto& out = messages (options);
    juce::Array<juce::var> json;
    int failures = 0;

    for (const auto& path : options.files)
    {
        try
        {
            auto reader = FileRenderer::openStereoFile (formats, fileFromArgument (path));
            const auto result = FileRenderer::analyse (*reader, options.splitHz);

            if (options.json)
            {
                auto* object = new juce::DynamicObject();
                object->setProperty ("file", path);
                object->setProperty ("analysis", StereoAnalysisText::toJson (result));
                json.add (juce::var (object));
            }
            else
            {
                out << path << " (" << StereoAnalysisText::describeSignal (result) << ")\n"
                    << StereoAnalysisText::makeTable ({}, { &result }) << "\n";
            }

            if (options.plotPath.isNotEmpty())
                writePlot (fileFromArgument (options.plotPath), AnalysisPlot ("STEREO ANALYSIS", { { path, result } }));
        }
        catch (const RenderError& error)
        {
            ++failures;
            std::cerr << "wydenza-render: " << error.getReason() << std::endl;
            json.add (errorJson ("file", path, error.getReason()));
        }
    }

    if (options.json)
        std::cout << juce::JSON::toString (json, false, 6) << std::endl;

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

    std::unique_ptr<juce::AudioFormatReader> reader;

    if (isDemo)
    {
        reader = DemoMix::createReader();
        out << "Rendering the built-in demo mix\n";
    }
    else
    {
        const auto input = fileFromArgument (options.files[0]);

        if (! input.existsAsFile())
            throw RenderError ("cannot read " + input.getFullPathName() + ": no such file");

        if (sameFile (input, output))
            throw RenderError ("the output would overwrite the input " + input.getFullPathName());

        if (plot != juce::File() && sameFile (input, plot))
            throw RenderError ("the plot would overwrite the input " + input.getFullPathName());

        reader = FileRenderer::openStereoFile (formats, input);
        out << "Rendering " << input.getFileName() << " (" << reader->getFormatName() << ", " << reader->sampleRate
            << " Hz, " << reader->bitsPerSample << " bit)\n";
    }

    if (plot != juce::File() && sameFile (output, plot))
        throw RenderError ("the plot and the output are the same file");

    auto processor = makeProcessor (options, presetName, true);
    FileRenderer::Request request;
    request.target = output;
    request.format = format;
    request.bits = isDemo && ! options.bits.has_value() ? 24 : options.bits;
    request.progress = progressPrinter ((double) reader->lengthInSamples / reader->sampleRate);
    if (options.measures())
        request.analysisSplitHz = options.splitHz;

    const auto outcome = FileRenderer (*processor).render (*reader, request);

    printPeaks (out, "input ", outcome.inputPeakLeft, outcome.inputPeakRight);
    printPeaks (out, "output", outcome.outputPeakLeft, outcome.outputPeakRight);
    out << "wrote " << output.getFullPathName() << " (" << format->getFormatName() << ", " << OutputFormat::describeBitDepth (outcome.bitsWritten)
        << (outcome.dithered ? ", TPDF dither" : "") << ")\n";

    if (options.report)
    {
        if (options.json)
            std::cout << juce::JSON::toString (juce::Array<juce::var> { reportJson (inputName, outputName, outcome) }, false, 6) << std::endl;
        else
            printReportTable (out, inputName, outputName, outcome);
    }

    if (plot != juce::File())
    {
        writePlot (plot, makeReportPlot (options, presetName, isDemo ? juce::String ("demo mix") : inputName, outputName, outcome));
        out << "drew " << plot.getFullPathName() << "\n";
    }

    return 0;
}

/** Every input into --out-dir; a file that fails does not stop the others. */
int renderIntoFolder (const RenderOptions& options, juce::AudioFormatManager& formats)
{
    auto& out = messages (options);
    const auto folder = fileFromArgument (options.outDir);

    if (folder.existsAsFile() || ! folder.createDirectory())
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

    juce::Array<juce::File> written;
    juce::Array<juce::var> json;
    int failures = 0;

    for (int i = 0; i < inputs.size(); ++i)
    {
        const auto& input = inputs.getReference (i);
        const auto name = input.getFileNameWithoutExtension() + (options.outExtension.isNotEmpty() ? options.outExtension : input.getFileExtension());
        const auto target = folder.getChildFile (name);
        const auto shownTarget = options.outDir + (options.outDir.endsWithChar ('/') ? "" : "/") + name;
        out << "[" << (i + 1) << "/" << inputs.size() << "] " << options.files[i] << " -> " << shownTarget << ": " << std::flush;

        try
        {
            auto* format = OutputFormat::forFile (target, formats);
            if (format == nullptr)
                throw RenderError ("cannot write " + name + ": the output's extension must be " + OutputFormat::acceptedExtensions + " (or use --format)");

            for (const auto& other : inputs)
                if (sameFile (other, target))
                    throw RenderError ("the output would overwrite the input " + other.getFullPathName());

            if (written.contains (target) || target == plot)
                throw RenderError ("another file already went to " + shownTarget);

            auto reader = FileRenderer::openStereoFile (formats, input);
            auto processor = makeProcessor (options, options.presetName, false);

            FileRenderer::Request request;
            request.target = target;
            request.format = format;
            request.bits = options.bits;
            request.progress = progressPrinter ((double) reader->lengthInSamples / reader->sampleRate);
            if (options.measures())
                request.analysisSplitHz = options.splitHz;

            const auto outcome = FileRenderer (*processor).render (*reader, request);
            written.add (target);

            out << "done (" << format->getFormatName() << ", " << OutputFormat::describeBitDepth (outcome.bitsWritten)
                << (outcome.dithered ? ", TPDF dither" : "") << ")" << std::endl;

            if (options.report && options.json)
                json.add (reportJson (options.files[i], shownTarget, outcome));
            else if (options.report)
                printReportTable (out, options.files[i], shownTarget, outcome);

            if (plot != juce::File())
                writePlot (plot, makeReportPlot (options, options.presetName, options.files[i], shownTarget, outcome));
        }
        catch (const RenderError& error)
        {
            ++failures;
            out << "FAILED: " << error.getReason() << std::endl;
            json.add (errorJson ("input", options.files[i], error.getReason()));
        }
    }

    out << "rendered " << (inputs.size() - failures) << " of " << inputs.size() << " files"
        << (failures > 0 ? "; " + juce::String (failures) + " failed" : juce::String()) << "\n";

    if (options.report && options.json)
        std::cout << juce::JSON::toString (json, false, 6) << std::endl;

    return failures == 0 ? 0 : 1;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

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
            return analyzeFiles (options, formats);

        if (options.outDir.isNotEmpty())
            return renderIntoFolder (options, formats);

        return renderOneFile (options, formats);
    }
    catch (const RenderError& error)
    {
        if (error.getReason() == "expected an input and an output file")
            std::cerr << RenderOptions::getUsage();

        fail (error.getReason());
    }
}
