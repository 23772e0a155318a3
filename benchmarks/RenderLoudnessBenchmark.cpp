// The renderer's cost for loudness, over 10 minutes of a 48 kHz stereo 24-bit WAV file: --analyze with
// and without the loudness figures, and a render matched in loudness against a plain one. The counter
// x_real_time is seconds of audio per second of run time, on one core.

#include "DemoMix.h"
#include "FileRenderer.h"
#include "LoudnessMatch.h"
#include "ProcessorSetup.h"
#include "processor/WydenzaAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{
constexpr double audioSeconds = 600.0;

/** A temporary home folder (the processor reads its settings) holding the input: the demo mix, repeated. */
struct TenMinuteFile
{
    TenMinuteFile()
    {
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("wydenza-loudness-benchmark", "", false);
        folder.createDirectory();
        input = folder.getChildFile ("ten-minutes.wav");
        output = folder.getChildFile ("rendered.wav");
        ::setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_CONFIG_HOME", folder.getChildFile (".config").getFullPathName().toRawUTF8(), 1);

        const auto mix = DemoMix::make();
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::OutputStream> stream = std::make_unique<juce::FileOutputStream> (input);
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), DemoMix::sampleRate, 2, 24, {}, 0));
        stream.release();

        for (auto written = 0.0; written < audioSeconds; written += mix.getNumSamples() / DemoMix::sampleRate)
            writer->writeFromAudioSampleBuffer (mix, 0, juce::jmin (mix.getNumSamples(), (int) ((audioSeconds - written) * DemoMix::sampleRate)));
    }

    ~TenMinuteFile() { folder.deleteRecursively(); }

    juce::File folder, input, output;
};

TenMinuteFile& file()
{
    static TenMinuteFile instance;
    return instance;
}

void countRealTime (benchmark::State& state)
{
    state.counters["x_real_time"] = benchmark::Counter (audioSeconds * (double) state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Analyze (benchmark::State& state)
{
    const auto withLoudness = state.range (0) != 0;
    auto source = FileRenderer::openStereoFile (file().input);

    for (auto _ : state)
        benchmark::DoNotOptimize (FileRenderer::analyse (*source.reader, 120.0, {}, withLoudness));

    countRealTime (state);
}

void BM_Render (benchmark::State& state)
{
    const auto matched = state.range (0) != 0;
    auto source = FileRenderer::openStereoFile (file().input);
    WydenzaAudioProcessor processor;
    ProcessorSetup::applyPreset (processor, ProcessorSetup::demoPresetName);
    juce::WavAudioFormat wav;

    FileRenderer::Request request;
    request.target = file().output;
    request.format = &wav;

    for (auto _ : state)
    {
        if (matched)
            benchmark::DoNotOptimize (LoudnessMatch::render (processor, *source.reader, request));
        else
            benchmark::DoNotOptimize (FileRenderer (processor).render (*source.reader, request));
    }

    countRealTime (state);
}
} // namespace

BENCHMARK (BM_Analyze)->ArgName ("loudness")->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond)->Iterations (3);
BENCHMARK (BM_Render)->ArgName ("matched")->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond)->Iterations (3);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    file();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
