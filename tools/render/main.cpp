// wydenza-render: runs an audio file through the plug-in's processor offline, without a host or display.

#include "processor/LevelText.h"
#include "processor/WydenzaAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <filesystem>
#include <iostream>

namespace
{
constexpr int blockSize = 512;

struct Options
{
    juce::StringArray settings;
    juce::String presetName;
    bool listPresets = false;
    juce::String inputPath, outputPath;
};

[[noreturn]] void fail (const juce::String& message)
{
    std::cerr << "wydenza-render: " << message << std::endl;
    std::exit (1);
}

void printUsage()
{
    std::cout << "usage: wydenza-render [--set Name=value]... [--preset NAME] IN OUT\n"
                 "       wydenza-render --list-presets\n"
                 "       wydenza-render            (renders the built-in demo to wydenza-demo.wav)\n\n"
                 "Width, pan, gains and crossover take the texts their boxes accept\n"
                 "(StereoWidth=150, Pan=L30, InputGain=-3, SafeBassFreq=120); switches and choices\n"
                 "take normalised values (SafeBass=1, PanCurve=0.2).\n";
}

Options parseArguments (const juce::StringArray& args)
{
    Options options;
    juce::StringArray positional;

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];

        if (arg == "--help" || arg == "-h")
        {
            printUsage();
            std::exit (0);
        }
        else if (arg == "--set" || arg == "--preset")
        {
            if (i + 1 >= args.size())
                fail (arg + " needs a value");

            if (arg == "--set")
                options.settings.add (args[++i]);
            else
                options.presetName = args[++i];
        }
        else if (arg.startsWith ("--set="))
            options.settings.add (arg.fromFirstOccurrenceOf ("=", false, false));
        else if (arg.startsWith ("--preset="))
            options.presetName = arg.fromFirstOccurrenceOf ("=", false, false);
        else if (arg == "--list-presets")
            options.listPresets = true;
        else if (arg.startsWith ("--"))
            fail ("unknown option " + arg);
        else
            positional.add (arg);
    }

    if (positional.size() == 2)
    {
        options.inputPath = positional[0];
        options.outputPath = positional[1];
    }
    else if (! positional.isEmpty())
    {
        printUsage();
        fail ("expected an input and an output file");
    }

    return options;
}

bool takesTypedText (ParameterDisplayKind kind)
{
    return kind == ParameterDisplayKind::widthPercent || kind == ParameterDisplayKind::panPosition
           || kind == ParameterDisplayKind::gainDecibels || kind == ParameterDisplayKind::bassFrequency;
}

bool startsWithNumber (const juce::String& text)
{
    const auto t = text.trimStart().trimCharactersAtStart ("+-");
    return t.isNotEmpty() && (juce::CharacterFunctions::isDigit (t[0]) || (t[0] == '.' && juce::CharacterFunctions::isDigit (t[1])));
}

/** Applies "Name=value" to the processor as the host would, or fails with a clear message. */
void applySetting (WydenzaAudioProcessor& processor, const juce::String& setting)
{
    const auto name = setting.upToFirstOccurrenceOf ("=", false, false).trim();
    const auto text = setting.fromFirstOccurrenceOf ("=", false, false).trim();
    auto* parameter = processor.getParameterSet().getByName (name);

    if (parameter == nullptr || ! setting.containsChar ('='))
        fail ("unknown parameter '" + name + "' (names: " + [&]
              {
                juce::StringArray all;
                for (int i = 0; i < processor.getParameterSet().size(); ++i)
                    all.add (processor.getParameterSet().getName (i));
                return all.joinIntoString (", "); }()
              + ")");

    float value = 0.0f;

    if (takesTypedText (parameter->displayKind))
    {
        const auto lower = text.toLowerCase();
        const bool isWord = (parameter->displayKind == ParameterDisplayKind::bassFrequency && text == "OFF")
                            || (parameter->displayKind == ParameterDisplayKind::panPosition
                                && (lower == "c" || ((lower.startsWithChar ('l') || lower.startsWithChar ('r')) && startsWithNumber (text.substring (1)))));

        if (! isWord && ! startsWithNumber (text))
            fail ("bad value '" + text + "' for " + name);

        value = parameter->getValueForText (text);

        // A gain box keeps its slider's range; the text rule alone does not.
        if (! (value >= 0.0f && value <= 1.0f))
            fail ("bad value '" + text + "' for " + name + " (from -12 to 12 dB)");
    }
    else
    {
        if (! startsWithNumber (text) || ! text.containsOnly ("0123456789.+-"))
            fail ("bad value '" + text + "' for " + name + " (a normalised value from 0 to 1)");

        value = text.getFloatValue();

        if (value < 0.0f || value > 1.0f)
            fail ("bad value '" + text + "' for " + name + " (a normalised value from 0 to 1)");
    }

    processor.setParameter (parameter->index, value);
    std::cout << "  " << name << " = " << parameter->getTextForValue (value) << "\n";
}

constexpr const char* defaultPresetName = "GROUP Stereo 150% + SafeBass";

/** Loads a factory preset, or a user preset from the presets folder, by its exact name. */
void applyPreset (WydenzaAudioProcessor& processor, const juce::String& name)
{
    const auto factoryIndex = processor.getFactoryPresetNames().indexOf (name);

    if (factoryIndex >= 0)
        processor.selectFactoryPreset (factoryIndex);
    else if (! processor.getUserPresetNames().contains (name) || ! processor.loadUserPresetByName (name))
        fail ("unknown preset '" + name + "' (wydenza-render --list-presets lists them)");

    std::cout << "  preset " << name << "\n";
}

/** A few seconds of a small stereo mix: a centred voice-like tone, two instruments apart and a bass. */
juce::AudioBuffer<float> makeDemoMix (double sampleRate)
{
    const auto seconds = 6.0;
    const auto n = (int) (seconds * sampleRate);
    juce::AudioBuffer<float> mix (2, n);
    juce::Random random (7);
    constexpr auto twoPi = juce::MathConstants<double>::twoPi;

    for (int i = 0; i < n; ++i)
    {
        const auto t = i / sampleRate;

        // Voice: a vowel-like set of harmonics with a slow vibrato, in the centre.
        const auto f0 = 220.0 * (1.0 + 0.006 * std::sin (twoPi * 5.5 * t));
        double voice = 0.0;
        for (int h = 1; h <= 8; ++h)
            voice += std::sin (twoPi * f0 * h * t) * (h == 3 || h == 4 ? 0.5 : 0.25) / h;
        voice *= 0.35 * (0.6 + 0.4 * std::sin (twoPi * 0.5 * t));

        // A plucked tone every half second, mostly left.
        const auto pluckTime = std::fmod (t, 0.5);
        const auto pluckNote = 330.0 * std::pow (2.0, (double) ((int) (t / 0.5) % 4) / 12.0 * 3.0);
        const auto pluck = 0.3 * std::exp (-6.0 * pluckTime) * (std::sin (twoPi * pluckNote * t) + 0.3 * std::sin (twoPi * 2 * pluckNote * t));

        // A soft pad with a little noise, mostly right.
        const auto pad = 0.12 * (std::sin (twoPi * 440.0 * t) + std::sin (twoPi * 554.37 * t) + std::sin (twoPi * 659.25 * t))
                         + 0.01 * (random.nextDouble() * 2.0 - 1.0);

        // A low bass line in the centre.
        const auto bassNote = (int) (t / 1.5) % 2 == 0 ? 55.0 : 41.2;
        const auto bass = 0.3 * std::sin (twoPi * bassNote * t);

        mix.setSample (0, i, (float) (voice + 0.8 * pluck + 0.25 * pad + bass));
        mix.setSample (1, i, (float) (voice + 0.25 * pluck + 0.8 * pad + bass));
    }

    return mix;
}

std::pair<float, float> peaksOf (const juce::AudioBuffer<float>& buffer, int start, int num)
{
    return { buffer.getMagnitude (0, start, num), buffer.getMagnitude (1, start, num) };
}

void printPeaks (const char* label, float left, float right)
{
    std::cout << label << " peak  L " << levelToDecibelText (left) << " dBFS   R " << levelToDecibelText (right) << " dBFS\n";
}

bool sameFile (const juce::File& a, const juce::File& b)
{
    std::error_code error;
    if (a == b)
        return true;
    return std::filesystem::exists (b.getFullPathName().toStdString(), error)
           && std::filesystem::equivalent (a.getFullPathName().toStdString(), b.getFullPathName().toStdString(), error);
}

void process (WydenzaAudioProcessor& processor, juce::AudioBuffer<float>& audio, double sampleRate)
{
    processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor.prepareToPlay (sampleRate, blockSize);

    const auto total = audio.getNumSamples();
    const bool showProgress = total > sampleRate * 30.0;
    int lastPercent = -1;
    juce::MidiBuffer midi;
    float inL = 0, inR = 0, outL = 0, outR = 0;

    for (int start = 0; start < total; start += blockSize)
    {
        const auto num = juce::jmin (blockSize, total - start);
        auto [l, r] = peaksOf (audio, start, num);
        inL = juce::jmax (inL, l);
        inR = juce::jmax (inR, r);

        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, start, num);
        processor.processBlock (block, midi);

        std::tie (l, r) = peaksOf (audio, start, num);
        outL = juce::jmax (outL, l);
        outR = juce::jmax (outR, r);

        if (showProgress)
        {
            const auto percent = (int) (100.0 * (start + num) / total);
            if (percent / 10 != lastPercent / 10)
                std::cerr << "\r  progress " << percent << " %" << std::flush;
            lastPercent = percent;
        }
    }

    if (showProgress)
        std::cerr << std::endl;

    processor.releaseResources();
    printPeaks ("input ", inL, inR);
    printPeaks ("output", outL, outR);
}

void writeFile (juce::AudioFormat& format, const juce::File& target, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample, const juce::StringPairArray& metadata)
{
    juce::TemporaryFile temp (target);
    {
        auto stream = std::make_unique<juce::FileOutputStream> (temp.getFile());
        if (! stream->openedOk())
            fail ("cannot write " + target.getFullPathName());

        std::unique_ptr<juce::AudioFormatWriter> writer (
            format.createWriterFor (stream.get(), sampleRate, 2, bitsPerSample, metadata, 0));

        if (writer == nullptr)
            fail ("cannot write " + format.getFormatName() + " with " + juce::String (bitsPerSample) + " bits");

        stream.release();

        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            fail ("writing " + target.getFullPathName() + " failed");
    }

    if (! temp.overwriteTargetFileWithTemporary())
        fail ("cannot replace " + target.getFullPathName());
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    const auto options = parseArguments (args);
    WydenzaAudioProcessor processor;

    if (options.listPresets)
    {
        for (const auto& name : processor.getFactoryPresetNames())
            std::cout << name << "\n";
        for (const auto& name : processor.getUserPresetNames())
            std::cout << name << "\n";
        return 0;
    }

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();

    if (options.inputPath.isEmpty())
    {
        const auto sampleRate = 48000.0;
        auto audio = makeDemoMix (sampleRate);
        std::cout << "Rendering the built-in demo mix\n";
        applyPreset (processor, options.presetName.isNotEmpty() ? options.presetName : juce::String (defaultPresetName));
        for (const auto& s : options.settings)
            applySetting (processor, s);

        process (processor, audio, sampleRate);
        const auto target = juce::File::getCurrentWorkingDirectory().getChildFile ("wydenza-demo.wav");
        juce::WavAudioFormat wav;
        writeFile (wav, target, audio, sampleRate, 24, {});
        std::cout << "wrote " << target.getFullPathName() << "\n";
        return 0;
    }

    const auto input = juce::File::getCurrentWorkingDirectory().getChildFile (options.inputPath);
    const auto output = juce::File::getCurrentWorkingDirectory().getChildFile (options.outputPath);

    if (! input.existsAsFile())
        fail ("cannot read " + input.getFullPathName() + ": no such file");

    if (sameFile (input, output))
        fail ("the output would overwrite the input " + input.getFullPathName());

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (input));

    if (reader == nullptr)
        fail ("cannot read " + input.getFullPathName() + ": not a WAV, FLAC or AIFF file");

    if (reader->numChannels != 2)
        fail (input.getFileName() + " has " + juce::String (reader->numChannels) + " channel(s); Wydenza needs stereo");

    if (reader->lengthInSamples > (juce::int64) std::numeric_limits<int>::max() / 2)
        fail (input.getFileName() + " is too long");

    auto* format = formats.findFormatForFileExtension (input.getFileExtension());
    if (format == nullptr)
        for (auto* f : formats)
            if (f->getFormatName() == reader->getFormatName())
                format = f;
    if (format == nullptr)
        fail ("cannot write " + reader->getFormatName());

    std::cout << "Rendering " << input.getFileName() << " (" << reader->getFormatName() << ", "
              << reader->sampleRate << " Hz, " << reader->bitsPerSample << " bit)\n";

    if (options.presetName.isNotEmpty())
        applyPreset (processor, options.presetName);

    for (const auto& s : options.settings)
        applySetting (processor, s);

    juce::AudioBuffer<float> audio (2, (int) reader->lengthInSamples);
    if (! reader->read (&audio, 0, audio.getNumSamples(), 0, true, true))
        fail ("cannot read the samples of " + input.getFileName());

    const auto sampleRate = reader->sampleRate;
    const auto bits = (int) reader->bitsPerSample;
    const auto metadata = reader->metadataValues;
    reader.reset();

    process (processor, audio, sampleRate);
    writeFile (*format, output, audio, sampleRate, bits, metadata);
    std::cout << "wrote " << output.getFullPathName() << "\n";
    return 0;
}
