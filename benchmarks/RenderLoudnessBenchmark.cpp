// The renderer's cost for loudness, over 10 minutes of a 48 kHz stereo 24-bit WAV file: --analyze with
// and without the loudness figures, and a render matched in loudness against a plain one. The counter
// x_real_time is seconds of audio per second of run time, on one core; cpu_s is the CPU seconds one run
// takes. BM_FfmpegLoudness runs ffmpeg's ebur128 filter with true peak over the same file, for
// comparison: its cpu_s is the CPU time of the ffmpeg process (Debian's ffmpeg; it says so when ffmpeg is
// missing).

#include "DemoMix.h"
#include "FileRenderer.h"
#include "LoudnessMatch.h"
#include "ProcessorSetup.h"
#include "processor/WydenzaAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

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

double cpuSeconds (int who)
{
    rusage usage {};
    ::getrusage (who, &usage);
    return (double) usage.ru_utime.tv_sec + 1.0e-6 * (double) usage.ru_utime.tv_usec + (double) usage.ru_stime.tv_sec + 1.0e-6 * (double) usage.ru_stime.tv_usec;
}

/** CPU seconds of this process over the benchmark's loop, per run. */
struct CpuClock
{
    double start = cpuSeconds (RUSAGE_SELF);

    void report (benchmark::State& state) const
    {
        state.counters["cpu_s"] = (cpuSeconds (RUSAGE_SELF) - start) / (double) state.iterations();
    }
};

void countRealTime (benchmark::State& state)
{
    state.counters["x_real_time"] = benchmark::Counter (audioSeconds * (double) state.iterations(), benchmark::Counter::kIsRate);
}

/** ffmpeg from the PATH, or an empty string. */
juce::String findFfmpeg()
{
    for (const auto& folder : juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("PATH", "/usr/bin"), ":", {}))
        if (const auto candidate = juce::File (folder).getChildFile ("ffmpeg"); folder.isNotEmpty() && candidate.existsAsFile())
            return candidate.getFullPathName();
    return {};
}

void BM_Analyze (benchmark::State& state)
{
    const auto withLoudness = state.range (0) != 0;
    auto source = FileRenderer::openStereoFile (file().input);

    const CpuClock clock;

    for (auto _ : state)
        benchmark::DoNotOptimize (FileRenderer::analyse (*source.reader, 120.0, {}, withLoudness));

    clock.report (state);
    countRealTime (state);
}

void BM_FfmpegLoudness (benchmark::State& state)
{
    const auto ffmpeg = findFfmpeg();
    if (ffmpeg.isEmpty())
    {
        state.SkipWithError ("ffmpeg is missing (Debian package ffmpeg, scripts/install-deps.sh installs it): no comparison with its ebur128 filter");
        return;
    }

    const std::string program = ffmpeg.toStdString(), input = file().input.getFullPathName().toStdString();
    std::vector<std::string> args { program, "-nostdin", "-nostats", "-i", input, "-af", "ebur128=peak=true", "-f", "null", "-" };
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back (arg.data());
    argv.push_back (nullptr);

    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init (&quiet);
    posix_spawn_file_actions_addopen (&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen (&quiet, 2, "/dev/null", O_WRONLY, 0);
    auto total = 0.0;

    for (auto _ : state)
    {
        const auto before = cpuSeconds (RUSAGE_CHILDREN);
        pid_t child = 0;
        int status = 0;

        if (posix_spawn (&child, program.c_str(), &quiet, nullptr, argv.data(), environ) != 0 || ::waitpid (child, &status, 0) != child
            || ! WIFEXITED (status) || WEXITSTATUS (status) != 0)
        {
            state.SkipWithError ("ffmpeg failed on the file");
            break;
        }

        const auto used = cpuSeconds (RUSAGE_CHILDREN) - before;
        total += used;
        state.SetIterationTime (used);
    }

    posix_spawn_file_actions_destroy (&quiet);
    state.counters["cpu_s"] = total / (double) juce::jmax ((benchmark::IterationCount) 1, state.iterations());
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
// Its time is ffmpeg's CPU time, which is not counted in this process's.
BENCHMARK (BM_FfmpegLoudness)->UseManualTime()->Unit (benchmark::kMillisecond)->Iterations (3);
BENCHMARK (BM_Render)->ArgName ("matched")->Arg (0)->Arg (1)->Unit (benchmark::kMillisecond)->Iterations (3);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    file();
    if (findFfmpeg().isEmpty())
        std::cerr << "ffmpeg is missing: BM_FfmpegLoudness, the comparison with ffmpeg's ebur128 filter, is skipped\n";
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
