// processBlock cost per stereo frame, beside three floors over the same buffer: a plain in-place copy,
// and a plain float biquad over one channel in transposed direct form II and in direct form I. Also the
// cost of handing the output to an open editor's signal scope.

#include "processor/WydenzaAudioProcessor.h"

#include <benchmark/benchmark.h>

#include "processor/SafeBassFilter.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <vector>

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

void setFrameCounter (benchmark::State& state, int blockSize)
{
    state.counters["ns_per_frame"] = benchmark::Counter ((double) blockSize * (double) state.iterations(),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

/** A processor at 48 kHz in a typical setting: widened, panned a little, with the -3 dB law. */
void prepareTypical (WydenzaAudioProcessor& processor, int blockSize, bool safeBass)
{
    processor.setRateAndBufferSizeDetails (48000.0, blockSize);
    processor.prepareToPlay (48000.0, blockSize);
    processor.setParameter (1, 0.75f);
    processor.setParameter (2, 0.45f);
    processor.setParameter (12, 0.1f);
    processor.setParameter (16, safeBass ? 1.0f : 0.0f);
}

/** Blocks of the buffer through the processor; refill, when given, runs before each block and is timed too. */
template <typename Refill>
void timeBlocks (benchmark::State& state, WydenzaAudioProcessor& processor, juce::AudioBuffer<float>& buffer, Refill&& refill)
{
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        refill();
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    setFrameCounter (state, buffer.getNumSamples());
}

/** Blocks of noise through the processor, each block of a 16384-frame signal processed once before the
    signal is put back, outside the timing. Processing one block over and over in place would feed the
    output back in: the typical setting widens, so within a few hundred blocks every sample would be
    infinite or NaN, and the figure would be that of non-finite input.
*/
template <typename BeforeEachBlock>
void timeNoiseBlocks (benchmark::State& state, WydenzaAudioProcessor& processor, BeforeEachBlock&& beforeEachBlock)
{
    const auto blockSize = (int) state.range (0);
    const auto numBlocks = juce::jmax (1, 16384 / blockSize);
    juce::AudioBuffer<float> signal (2, numBlocks * blockSize), pristine (2, numBlocks * blockSize);
    fillNoise (pristine);
    signal.makeCopyOf (pristine);

    std::vector<juce::AudioBuffer<float>> blocks;
    for (int b = 0; b < numBlocks; ++b)
    {
        float* channels[] = { signal.getWritePointer (0, b * blockSize), signal.getWritePointer (1, b * blockSize) };
        blocks.emplace_back (channels, 2, blockSize);
    }

    juce::MidiBuffer midi;
    auto next = 0;

    for (auto _ : state)
    {
        beforeEachBlock();
        processor.processBlock (blocks[(size_t) next], midi);
        benchmark::DoNotOptimize (blocks[(size_t) next].getReadPointer (0));
        benchmark::ClobberMemory();

        if (++next == numBlocks)
        {
            state.PauseTiming();
            signal.makeCopyOf (pristine, true);
            next = 0;
            state.ResumeTiming();
        }
    }

    setFrameCounter (state, blockSize);
}

void processBlock (benchmark::State& state, bool safeBass)
{
    const auto blockSize = (int) state.range (0);
    WydenzaAudioProcessor processor;
    prepareTypical (processor, blockSize, safeBass);

    // Second argument 1: a host whose audio thread already flushes denormals; the figures should not
    // depend on it.
    std::optional<juce::ScopedNoDenormals> hostFlushes;
    if (state.range (1) != 0)
        hostFlushes.emplace();

    timeNoiseBlocks (state, processor, [] {});
    state.SetItemsProcessed ((int64_t) state.iterations() * blockSize);
}

void BM_ProcessBlock_SafeBassOff (benchmark::State& state) { processBlock (state, false); }
void BM_ProcessBlock_SafeBassOn (benchmark::State& state) { processBlock (state, true); }

/** Safe bass on, on a thread that does not flush denormals, with what a reverb's tail ends in. Argument 1:
    0, subnormal samples (copied in before every block, so the copy is in the figure); 1, silence after a
    block of noise, where the high-pass's own tail decays towards the subnormals.
*/
void BM_ProcessBlock_DecayingTail (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    WydenzaAudioProcessor processor;
    prepareTypical (processor, blockSize, true);

    juce::AudioBuffer<float> buffer (2, blockSize), tail (2, blockSize);
    for (int i = 0; i < blockSize; ++i)
    {
        const auto tiny = std::numeric_limits<float>::min() * std::pow (0.5f, (float) (1 + i % 20));
        tail.setSample (0, i, i % 2 == 0 ? tiny : -tiny);
        tail.setSample (1, i, tiny * 0.75f);
    }

    fillNoise (buffer);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);
    buffer.clear();

    if (state.range (1) == 0)
        timeBlocks (state, processor, buffer, [&]
                    { for (int ch = 0; ch < 2; ++ch)
                          std::memcpy (buffer.getWritePointer (ch), tail.getReadPointer (ch), sizeof (float) * (size_t) blockSize); });
    else
        timeBlocks (state, processor, buffer, [] {});
}

/** processBlock as with safe bass off, with the signal scope's hand-over idle (argument 1: 0) or active
    (1). The editor empties the rings 30 times a second; here a reader does it whenever they are half
    full, outside the timing.
*/
void BM_ProcessBlock_SignalScope (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    WydenzaAudioProcessor processor;
    prepareTypical (processor, blockSize, false);

    auto& feed = processor.getSignalScopeFeed();
    feed.setActive (state.range (1) != 0);
    std::vector<float> left (SignalScopeFeed::frameCapacity), right (SignalScopeFeed::frameCapacity);
    const auto blocksPerRead = juce::jmin ((int) SignalScopeFeed::frameCapacity / 2 / blockSize, (int) SignalScopeFeed::sumsCapacity / 2);
    auto blocksSinceRead = 0;

    timeNoiseBlocks (state, processor, [&]
                     {
                    if (++blocksSinceRead < blocksPerRead)
                        return;

                    state.PauseTiming();
                    feed.readFrames (left.data(), right.data(), (int) left.size());
                    benchmark::DoNotOptimize (feed.takeSums());
                    blocksSinceRead = 0;
                    state.ResumeTiming(); });

    feed.setActive (false);
}

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

    setFrameCounter (state, blockSize);
}

/** The safe-bass coefficients of the processor's default crossover at 48 kHz. */
std::array<float, 5> floorCoefficients()
{
    const auto c = SafeBassFilter::makeCoefficients (48000.0, 150.0);
    return { (float) c.b0, (float) c.b1, (float) c.b2, (float) c.a1, (float) c.a2 };
}

void BM_BiquadTdf2Floor (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);
    const auto c = floorCoefficients();
    float s1 = 0.0f, s2 = 0.0f;

    for (auto _ : state)
    {
        auto* x = buffer.getWritePointer (0);
        for (int i = 0; i < blockSize; ++i)
        {
            const auto in = x[i];
            const auto out = c[0] * in + s1;
            s1 = c[1] * in - c[3] * out + s2;
            s2 = c[2] * in - c[4] * out;
            x[i] = out;
        }
        benchmark::ClobberMemory();
    }

    benchmark::DoNotOptimize (s1 + s2);
    setFrameCounter (state, blockSize);
}

void BM_BiquadDf1Floor (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    juce::AudioBuffer<float> buffer (2, blockSize);
    fillNoise (buffer);
    const auto c = floorCoefficients();
    float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;

    for (auto _ : state)
    {
        auto* x = buffer.getWritePointer (0);
        for (int i = 0; i < blockSize; ++i)
        {
            const auto in = x[i];
            const auto out = c[0] * in + c[1] * x1 + c[2] * x2 - c[4] * y2 - c[3] * y1;
            x2 = x1;
            x1 = in;
            y2 = y1;
            y1 = out;
            x[i] = out;
        }
        benchmark::ClobberMemory();
    }

    benchmark::DoNotOptimize (x1 + x2 + y1 + y2);
    setFrameCounter (state, blockSize);
}
} // namespace

BENCHMARK (BM_InPlaceCopyFloor)->Arg (64)->Arg (512);
BENCHMARK (BM_BiquadTdf2Floor)->Arg (64)->Arg (512);
BENCHMARK (BM_BiquadDf1Floor)->Arg (64)->Arg (512);
BENCHMARK (BM_ProcessBlock_SafeBassOff)->Args ({ 64, 0 })->Args ({ 512, 0 })->Args ({ 64, 1 })->Args ({ 512, 1 });
BENCHMARK (BM_ProcessBlock_SafeBassOn)->Args ({ 64, 0 })->Args ({ 512, 0 })->Args ({ 64, 1 })->Args ({ 512, 1 });
BENCHMARK (BM_ProcessBlock_SignalScope)->ArgsProduct ({ { 64, 512 }, { 0, 1 } });
BENCHMARK (BM_ProcessBlock_DecayingTail)->Args ({ 64, 0 })->Args ({ 64, 1 });

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
