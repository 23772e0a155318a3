#include "DemoMix.h"
#include "FileRenderer.h"
#include "LoudnessMatch.h"
#include "LoudnessMeter.h"
#include "LoudnessText.h"
#include "ProcessorSetup.h"
#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{
constexpr double rate = 48000.0;
constexpr auto twoPi = juce::MathConstants<double>::twoPi;

/** Tone(s) given as (seconds, left, right) parts, each a function of the time in seconds. */
struct Part
{
    double seconds;
    std::function<double (double)> left, right;
};

LoudnessResult measure (const std::vector<Part>& parts)
{
    LoudnessMeter meter (rate);
    std::vector<float> left (1000), right (1000);

    for (const auto& part : parts)
        for (int start = 0, total = (int) std::lround (part.seconds * rate); start < total; start += 1000)
        {
            const auto num = juce::jmin (1000, total - start);
            for (int i = 0; i < num; ++i)
            {
                const auto t = (start + i) / rate;
                left[(size_t) i] = (float) part.left (t);
                right[(size_t) i] = (float) part.right (t);
            }
            meter.addBlock (left.data(), right.data(), num);
        }

    return meter.getResult();
}

std::function<double (double)> sine (double dbfs, double hz = 1000.0, double phase = 0.0)
{
    const auto amplitude = juce::Decibels::decibelsToGain (dbfs);
    return [=] (double t)
    { return amplitude * std::sin (twoPi * hz * t + phase); };
}

const std::function<double (double)> silent = [] (double)
{ return 0.0; };

void expectNear (const std::optional<double>& figure, std::optional<double> expected, double margin, const char* what)
{
    ASSERT_EQ (figure.has_value(), expected.has_value()) << what;
    if (expected.has_value())
        EXPECT_NEAR (*figure, *expected, margin) << what;
}
} // namespace

// Reference signals of the EBU's conformance tests, whose loudness is known.
TEST (Loudness, KnownSignalsReadTheirLoudness)
{
    const auto antiPhase = sine (-23.0, 1000.0, juce::MathConstants<double>::pi);
    const struct
    {
        const char* name;
        std::vector<Part> parts;
        double integrated, range;
        std::optional<double> mono;
    } cases[] {
        { "1 kHz at -23 dBFS on both channels", { { 20.0, sine (-23.0), sine (-23.0) } }, -23.0, 0.0, -23.0 },
        { "1 kHz at -20 dBFS on one channel", { { 20.0, sine (-20.0), silent } }, -23.0, 0.0, -26.0 },
        { "20 s at -20 dBFS, then 20 s at -30 dBFS", { { 20.0, sine (-20.0), sine (-20.0) }, { 20.0, sine (-30.0), sine (-30.0) } }, -22.6, 10.0, -22.6 },
        { "opposite channels", { { 10.0, sine (-23.0), antiPhase } }, -23.0, 0.0, std::nullopt },
    };

    for (const auto& c : cases)
    {
        const auto result = measure (c.parts);
        expectNear (result.integratedLufs, c.integrated, 0.1, c.name);
        expectNear (result.rangeLu, c.range, 1.0, c.name);
        expectNear (result.monoIntegratedLufs, c.mono, 0.1, c.name);
        EXPECT_EQ (result.monoFoldDownLu().has_value(), c.mono.has_value()) << c.name;
    }

    // Identical channels lose nothing when folded down.
    const auto same = measure ({ { 5.0, sine (-18.0), sine (-18.0) } });
    expectNear (same.monoFoldDownLu(), 0.0, 0.05, "identical channels");
    expectNear (same.maxMomentaryLufs, -18.0, 0.1, "identical channels, momentary");
    expectNear (same.maxShortTermLufs, -18.0, 0.1, "identical channels, short-term");
}

TEST (Loudness, ABurstReadsItsMomentaryLoudnessWhereverItStarts)
{
    // A 400 ms tone at -23 LUFS between silences, starting anywhere on and between the points of a
    // 100 ms grid: read only on that grid, a burst that starts 50 ms off it reads 0.45 LU low.
    for (int offsetMs = 0; offsetMs < 100; offsetMs += 5)
    {
        const auto result = measure ({ { 1.0 + offsetMs / 1000.0, silent, silent }, { 0.4, sine (-23.0), sine (-23.0) }, { 1.0, silent, silent } });
        expectNear (result.maxMomentaryLufs, -23.0, 0.1, ("burst " + std::to_string (offsetMs) + " ms off the grid").c_str());
    }
}

TEST (Loudness, TruePeakFindsThePeakBetweenSamples)
{
    // A quarter of the sample rate at 45 degrees: every sample lies 3 dB below the wave's crest.
    const auto result = measure ({ { 1.0, sine (-6.0, rate / 4.0, juce::MathConstants<double>::pi / 4.0), sine (-12.0, 1000.0) } });
    ASSERT_TRUE (result.truePeakLeftDbtp.has_value());
    EXPECT_GT (*result.truePeakLeftDbtp, -6.0 - 0.4);
    EXPECT_LT (*result.truePeakLeftDbtp, -6.0 + 0.2);
    expectNear (result.truePeakRightDbtp, -12.0, 0.2, "1 kHz");
}

TEST (Loudness, SilenceAndShortSignalsHaveNoReadingAndValidJson)
{
    for (const auto& parts : { std::vector<Part> { { 5.0, silent, silent } }, std::vector<Part> { { 0.3, sine (-10.0), sine (-10.0) } } })
    {
        const auto result = measure (parts);
        EXPECT_FALSE (result.integratedLufs || result.rangeLu || result.maxMomentaryLufs || result.maxShortTermLufs
                      || result.monoIntegratedLufs || result.monoFoldDownLu());

        const auto text = juce::JSON::toString (LoudnessText::toJson (result), true);
        const auto parsed = juce::JSON::parse (text);
        EXPECT_TRUE (parsed.isObject()) << text;
        EXPECT_TRUE (parsed["integratedLufs"].isVoid()) << text;
        EXPECT_FALSE (text.containsIgnoreCase ("inf") || text.containsIgnoreCase ("nan")) << text;
        EXPECT_TRUE (LoudnessText::makeTable ({}, { &result }).contains (LoudnessText::noReading));
    }
}

TEST (Loudness, MatchedRenderAtFullWidthKeepsTheInputLoudness)
{
    WydenzaAudioProcessor processor;
    ProcessorSetup::applySetting (processor, "StereoWidth=200");
    auto source = DemoMix::createReader();
    const auto target = juce::File::createTempFile (".wav");

    FileRenderer::Request request;
    request.target = target;
    juce::WavAudioFormat wav;
    request.format = &wav;
    request.bits = OutputFormat::Depth { 24, false };

    const auto match = LoudnessMatch::render (processor, *source, request);
    ASSERT_TRUE (match.inputLufs.has_value() && match.untrimmedLufs.has_value());
    EXPECT_GT (std::abs (match.trimDb), 0.5) << "the width should change the loudness";
    expectNear (match.output.integratedLufs, *match.inputLufs, 0.1, "output as written");

    // The file itself, after the rounding to 24 bits.
    const auto written = FileRenderer::openStereoFile (target);
    const auto reread = FileRenderer::analyse (*written.reader, 120.0);
    expectNear (reread.loudness->integratedLufs, *match.inputLufs, 0.1, "file");
    target.deleteFile();
}
