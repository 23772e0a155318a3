#include "ProcessorSetup.h"
#include "StereoAnalysis.h"
#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{
constexpr double rate = 48000.0;
constexpr auto twoPi = juce::MathConstants<double>::twoPi;
constexpr double inf = std::numeric_limits<double>::infinity();

juce::AudioBuffer<float> makeSignal (double seconds, const std::function<std::pair<double, double> (int, juce::Random&)>& frame)
{
    juce::AudioBuffer<float> buffer (2, (int) (seconds * rate));
    juce::Random random (42);

    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        const auto [l, r] = frame (i, random);
        buffer.setSample (0, i, (float) l);
        buffer.setSample (1, i, (float) r);
    }

    return buffer;
}

double sine (double hz, int i)
{
    return std::sin (twoPi * hz * i / rate);
}

double noise (juce::Random& random)
{
    return random.nextDouble() - 0.5;
}

StereoAnalysisResult analyse (const juce::AudioBuffer<float>& buffer, int blockSize = 512)
{
    StereoAnalysis analysis (rate);

    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        const auto num = juce::jmin (blockSize, buffer.getNumSamples() - start);
        analysis.addBlock (buffer.getReadPointer (0, start), buffer.getReadPointer (1, start), num);
    }

    return analysis.getResult();
}

/** An expected figure: a value within a margin, an infinity, or no figure at all. */
struct Expected
{
    std::optional<double> value;
    double margin = 0.0;

    static Expected near (double v, double m) { return { v, m }; }
    static Expected exactly (double v) { return { v, 0.0 }; }
    static Expected none() { return {}; }
};

void expectFigure (const char* what, const std::optional<double>& actual, const Expected& expected)
{
    if (! expected.value.has_value())
    {
        EXPECT_FALSE (actual.has_value()) << what << " should be n/a but is " << actual.value_or (0.0);
        return;
    }

    ASSERT_TRUE (actual.has_value()) << what << " should be " << *expected.value << " but is n/a";
    EXPECT_FALSE (std::isnan (*actual)) << what;

    if (std::isinf (*expected.value))
        EXPECT_EQ (*actual, *expected.value) << what;
    else
        EXPECT_NEAR (*actual, *expected.value, expected.margin) << what;
}

struct KnownSignal
{
    const char* name;
    std::function<std::pair<double, double> (int, juce::Random&)> frame;
    Expected correlation, low, high, sideDb, sideToMidDb, monoSumDb, balanceDb;
    /** Left out where the windows' correlations hover around 0 and their signs are chance. */
    std::optional<double> negativeShare;
};

void PrintTo (const KnownSignal& signal, std::ostream* out)
{
    *out << signal.name;
}

class StereoAnalysisKnownSignals : public ::testing::TestWithParam<KnownSignal>
{
};

// Independent noise: over 96000 samples the correlation's standard deviation is about 0.003; the low
// band below 120 Hz holds far fewer independent values, about 0.05. The margins allow five or more.
const KnownSignal knownSignals[] = {
    { "identical channels", [] (int i, juce::Random&)
      { const auto s = 0.3 * sine (60.0, i) + 0.3 * sine (1000.0, i); return std::pair { s, s }; },
      Expected::exactly (1.0),
      Expected::exactly (1.0),
      Expected::exactly (1.0),
      Expected::exactly (-inf),
      Expected::exactly (-inf),
      Expected::exactly (0.0),
      Expected::exactly (0.0),
      0.0 },
    { "one channel inverted", [] (int i, juce::Random&)
      { const auto s = 0.5 * sine (440.0, i) + 0.2 * sine (50.0, i); return std::pair { s, -s }; },
      Expected::exactly (-1.0),
      Expected::exactly (-1.0),
      Expected::exactly (-1.0),
      Expected::near (-8.39, 0.02),
      Expected::exactly (inf),
      Expected::exactly (-inf),
      Expected::exactly (0.0),
      1.0 },
    { "independent noise", [] (int, juce::Random& random)
      { return std::pair { noise (random), noise (random) }; },
      Expected::near (0.0, 0.02),
      Expected::near (0.0, 0.25),
      Expected::near (0.0, 0.02),
      Expected::near (-13.8, 0.1),
      Expected::near (0.0, 0.1),
      Expected::near (-3.01, 0.1),
      Expected::near (0.0, 0.1),
      std::nullopt },
    { "60 Hz wide, 1 kHz centred", [] (int i, juce::Random&)
      { return std::pair { 0.4 * sine (60.0, i) + 0.4 * sine (1000.0, i), -0.4 * sine (60.0, i) + 0.4 * sine (1000.0, i) }; },
      Expected::near (0.0, 0.01),
      Expected::near (-1.0, 0.01),
      Expected::near (1.0, 0.02),
      Expected::near (-10.97, 0.02),
      Expected::near (0.0, 0.05),
      Expected::near (-3.01, 0.05),
      Expected::near (0.0, 0.01),
      std::nullopt },
    { "silence", [] (int, juce::Random&)
      { return std::pair { 0.0, 0.0 }; },
      Expected::none(),
      Expected::none(),
      Expected::none(),
      Expected::exactly (-inf),
      Expected::none(),
      Expected::none(),
      Expected::none(),
      0.0 },
    { "left alone, right silent", [] (int i, juce::Random&)
      { return std::pair { 0.5 * sine (440.0, i), 0.0 }; },
      Expected::none(),
      Expected::none(),
      Expected::none(),
      Expected::near (-15.05, 0.02),
      Expected::exactly (0.0),
      Expected::near (-6.02, 0.01),
      Expected::exactly (-inf),
      0.0 },
    { "right alone, left silent", [] (int i, juce::Random&)
      { return std::pair { 0.0, 0.5 * sine (440.0, i) }; },
      Expected::none(),
      Expected::none(),
      Expected::none(),
      Expected::near (-15.05, 0.02),
      Expected::exactly (0.0),
      Expected::near (-6.02, 0.01),
      Expected::exactly (inf),
      0.0 },
};
} // namespace

TEST_P (StereoAnalysisKnownSignals, GiveTheirKnownFigures)
{
    const auto& signal = GetParam();
    const auto result = analyse (makeSignal (2.0, signal.frame));

    expectFigure ("correlation", result.correlation, signal.correlation);
    expectFigure ("low-band correlation", result.correlationLow, signal.low);
    expectFigure ("high-band correlation", result.correlationHigh, signal.high);
    expectFigure ("side RMS", result.sideRmsDb, signal.sideDb);
    expectFigure ("side to mid", result.sideToMidDb, signal.sideToMidDb);
    expectFigure ("mono sum", result.monoSumDb, signal.monoSumDb);
    expectFigure ("balance", result.balanceDb, signal.balanceDb);

    for (const auto figure : { result.peakLeftDb, result.peakRightDb, result.rmsLeftDb, result.rmsRightDb, result.midRmsDb, result.sideRmsDb })
        EXPECT_FALSE (std::isnan (figure));

    ASSERT_TRUE (result.negativeCorrelationShare.has_value());
    if (signal.negativeShare.has_value())
        EXPECT_EQ (*result.negativeCorrelationShare, *signal.negativeShare);
    EXPECT_EQ (result.windowCorrelations.size(), 5u) << "2 s in 400 ms windows";
}

INSTANTIATE_TEST_SUITE_P (Signals, StereoAnalysisKnownSignals, ::testing::ValuesIn (knownSignals), [] (const auto& info)
                          { return juce::String (info.param.name).retainCharacters ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789").toStdString(); });

TEST (StereoAnalysis, LevelsOfAFullScaleSineAndOfSilence)
{
    const auto sine1k = analyse (makeSignal (1.0, [] (int i, juce::Random&)
                                             { return std::pair { sine (1000.0, i), 0.5 * sine (1000.0, i) }; }));
    EXPECT_NEAR (sine1k.peakLeftDb, 0.0, 0.01);
    EXPECT_NEAR (sine1k.peakRightDb, -6.02, 0.01);
    EXPECT_NEAR (sine1k.rmsLeftDb, -3.01, 0.01);
    EXPECT_NEAR (sine1k.rmsRightDb, -9.03, 0.01);
    EXPECT_NEAR (*sine1k.balanceDb, -6.02, 0.01);
    EXPECT_EQ (sine1k.largestPeak, 1.0f);

    // A new buffer's contents are undefined until cleared.
    juce::AudioBuffer<float> silent (2, 4800);
    silent.clear();
    const auto silence = analyse (silent);
    for (const auto figure : { silence.peakLeftDb, silence.peakRightDb, silence.rmsLeftDb, silence.rmsRightDb, silence.midRmsDb, silence.sideRmsDb })
        EXPECT_EQ (figure, -inf);
    EXPECT_EQ (silence.largestPeak, 0.0f);

    const auto empty = StereoAnalysis (rate).getResult();
    EXPECT_EQ (empty.numSamples, 0);
    EXPECT_FALSE (empty.negativeCorrelationShare.has_value());
    EXPECT_TRUE (empty.windowCorrelations.empty());
}

TEST (StereoAnalysis, CountsTheTimeInWindowsOfNegativeCorrelation)
{
    // 5.5 windows: the first three and the half window still filling are inverted.
    const auto window = (int) (0.4 * rate);
    const auto buffer = makeSignal (2.2, [=] (int i, juce::Random&)
                                    {
                                        const auto s = sine (300.0, i);
                                        return std::pair { s, i < 3 * window || i >= 5 * window ? -s : s }; });
    const auto result = analyse (buffer);

    ASSERT_EQ (result.windowCorrelations.size(), 6u) << "five whole windows and the part still filling";
    for (size_t i = 0; i < 6; ++i)
        EXPECT_NEAR (*result.windowCorrelations[i], i < 3 || i == 5 ? -1.0f : 1.0f, 1e-6f) << "window " << i;
    EXPECT_NEAR (*result.negativeCorrelationShare, 3.5 / 5.5, 1e-9);
}

TEST (StereoAnalysis, TheResultDoesNotDependOnTheBlockSize)
{
    const auto buffer = makeSignal (1.3, [] (int i, juce::Random& random)
                                    { return std::pair { 0.3 * sine (80.0, i) + 0.2 * noise (random), 0.3 * sine (2000.0, i) - 0.2 * noise (random) }; });
    const auto whole = analyse (buffer, buffer.getNumSamples());

    for (const auto blockSize : { 1, 7, 512, 19200 })
    {
        SCOPED_TRACE (blockSize);
        const auto result = analyse (buffer, blockSize);
        EXPECT_EQ (result.correlation, whole.correlation);
        EXPECT_EQ (result.correlationLow, whole.correlationLow);
        EXPECT_EQ (result.correlationHigh, whole.correlationHigh);
        EXPECT_EQ (result.windowCorrelations, whole.windowCorrelations);
        EXPECT_EQ (result.negativeCorrelationShare, whole.negativeCorrelationShare);
        EXPECT_EQ (result.points, whole.points);
    }
}

TEST (StereoAnalysis, KeepsABoundedSetOfPointsSpreadOverTheWholeSignal)
{
    // A ramp on the left shows where each kept point came from.
    const auto length = (int) StereoAnalysis::maxPoints * 10 + 123;
    juce::AudioBuffer<float> ramp (2, length);
    for (int i = 0; i < length; ++i)
    {
        ramp.setSample (0, i, (float) i / (float) length);
        ramp.setSample (1, i, 0.0f);
    }

    const auto points = analyse (ramp).points;
    ASSERT_LE (points.size(), StereoAnalysis::maxPoints);
    ASSERT_GE (points.size(), StereoAnalysis::maxPoints / 2);

    const auto stride = points[1].first - points[0].first;
    EXPECT_EQ (points.front().first, 0.0f);
    EXPECT_GT (points.back().first, 1.0f - 2.0f * stride) << "the last points come from the end";

    for (size_t i = 1; i < points.size(); ++i)
        ASSERT_NEAR (points[i].first - points[i - 1].first, stride, 1e-6f) << "evenly spaced at " << i;
}

//==============================================================================
namespace
{
juce::AudioBuffer<float> processed (juce::AudioBuffer<float> buffer, const juce::StringArray& settings)
{
    WydenzaAudioProcessor processor;
    for (const auto& setting : settings)
        ProcessorSetup::applySetting (processor, setting);

    processor.setRateAndBufferSizeDetails (rate, 512);
    processor.prepareToPlay (rate, 512);
    juce::MidiBuffer midi;

    for (int start = 0; start < buffer.getNumSamples(); start += 512)
    {
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, start, juce::jmin (512, buffer.getNumSamples() - start));
        processor.processBlock (block, midi);
    }

    processor.releaseResources();
    return buffer;
}

// A bass with as much side as mid (correlation 0 below the split) under a partly correlated top.
juce::AudioBuffer<float> wideBassUnderAMix()
{
    return makeSignal (3.0, [] (int i, juce::Random&)
                       {
                           const auto bassMid = 0.3 * sine (40.0, i), bassSide = 0.3 * std::cos (twoPi * 40.0 * i / rate);
                           const auto topMid = 0.3 * sine (1000.0, i), topSide = 0.2 * sine (2500.0, i);
                           return std::pair { bassMid + bassSide + topMid + topSide, bassMid - bassSide + topMid - topSide }; });
}
} // namespace

TEST (StereoAnalysisOfProcessing, MonoLeavesNoSide)
{
    const auto result = analyse (processed (wideBassUnderAMix(), { "Mono=1" }));
    EXPECT_EQ (result.sideRmsDb, -inf);
    EXPECT_EQ (result.correlation, 1.0);
    EXPECT_NEAR (*result.monoSumDb, 0.0, 1e-9);
}

TEST (StereoAnalysisOfProcessing, SafeBassMakesTheLowBandMonoAndLeavesTheHighBand)
{
    const auto before = analyse (wideBassUnderAMix());
    const auto after = analyse (processed (wideBassUnderAMix(), { "SafeBass=1", "SafeBassFreq=120" }));

    EXPECT_NEAR (*before.correlationLow, 0.0, 0.05) << "the bass starts out wide";
    EXPECT_GT (*after.correlationLow, 0.95);
    EXPECT_NEAR (*before.correlationHigh, 0.38, 0.03) << "(0.3^2 - 0.2^2) / (0.3^2 + 0.2^2)";
    EXPECT_NEAR (*after.correlationHigh, *before.correlationHigh, 0.01);
}
