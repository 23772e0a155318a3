// processBlock cost per stereo frame, beside a plain in-place copy of the same buffer as the floor.

#include "processor/WydenzaAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

namespace
{
void fillNoise (juce::AudioBuffer<float>& buffer)
{
    std::mt19937 rng (1);
    std::uniform_real_distribution<float> noise (-0.5f, 0.5f);
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (ch, i, noise (rng));
}

void processBlock (benchmark::State& state, bool safeBass)
{
    const auto blockSize = (int) state.range (0);
    WydenzaAudioProcessor processor;
    processor.setRateAndBufferSizeDetails (48000.0, blockSize);
    processor.prepareToPlay (48000.0, blockSize);

    // A typical setting: widened, panned a little, with the -3 dB law.
    processor.setParameter (1, 0.75f);
    processor.setParameter (2, 0.45f);
    processor.setParameter (12, 0.1f);
    processor.setParameter (16, safeBass ? 1.0f : 0.0f);

    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    state.counters["ns_per_frame"] = benchmark::Counter ((double) blockSize * (double) state.iterations(),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed ((int64_t) state.iterations() * blockSize);
}

void BM_ProcessBlock_SafeBassOff (benchmark::State& state) { processBlock (state, false); }
void BM_ProcessBlock_SafeBassOn (benchmark::State& state) { processBlock (state, true); }

void BM_InPlaceCopyFloor (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    juce::AudioBuffer<float> buffer (2, blockSize), scratch (2, blockSize);
    fillNoise (buffer);

    for (auto _ : state)
    {
        for (int ch = 0; ch < 2; ++ch)
        {
            std::memcpy (scratch.getWritePointer (ch), buffer.getReadPointer (ch), sizeof (float) * (size_t) blockSize);
            benchmark::ClobberMemory();
            std::memcpy (buffer.getWritePointer (ch), scratch.getReadPointer (ch), sizeof (float) * (size_t) blockSize);
        }
        benchmark::ClobberMemory();
    }

    state.counters["ns_per_frame"] = benchmark::Counter ((double) blockSize * (double) state.iterations(),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK (BM_InPlaceCopyFloor)->Arg (64)->Arg (512);
BENCHMARK (BM_ProcessBlock_SafeBassOff)->Arg (64)->Arg (512);
BENCHMARK (BM_ProcessBlock_SafeBassOn)->Arg (64)->Arg (512);

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
