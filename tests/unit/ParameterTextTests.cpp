#include "processor/WydenzaAudioProcessor.h"

#include "processor/LevelText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Fixture
{
    WydenzaAudioProcessor processor;
    ParameterSet& set = processor.getParameterSet();

    juce::String text (const char* name, float v) { return set.getByName (name)->getTextForValue (v); }
    float value (const char* name, const char* typed) { return set.getByName (name)->getValueForText (typed); }
};

/** The float nearest to start whose product with the given affine map is exactly an odd half. */
float valueGivingHalf (float start, float scale, float offset)
{
    auto v = start;
    for (int i = 0; i < 200000; ++i)
    {
        const float product = offset + scale * v;
        const float frac = product - std::floor (product);
        if (frac == 0.5f)
            return v;
        v = std::nextafter (v, 2.0f);
    }
    return std::numeric_limits<float>::quiet_NaN();
}
} // namespace

TEST (ParameterText, ContinuousKindsFollowTheirTextRules)
{
    Fixture f;
    struct Row
    {
        const char* name;
        float v;
        const char* expected;
    };
    const Row rows[] = {
        { "StereoWidth", 0.5f, "100 %" },
        { "StereoWidth", 1.0f, "200 %" },
        { "StereoWidth", 0.0f, "0 %" },
        { "Pan", 0.498f, "L0" },
        { "Pan", 0.5f, "C" },
        { "Pan", 0.25f, "L50" },
        { "Pan", 0.75f, "R50" },
        { "Pan", 0.0f, "L100" },
        { "Pan", 1.0f, "R100" },
        { "InputGain", 0.0f, "-12.0dB" },
        { "InputGain", 1.0f, "12.0dB" },
        { "InputGain", 0.5f, "0.0dB" },
        { "OutputGain", 0.6458333f, "3.5dB" },
        { "OutputGain", 0.25f, "-6.0dB" },
        { "SafeBassFreq", 0.0f, "OFF" },
        { "SafeBassFreq", 1.0f, "500Hz" },
        { "SafeBassFreq", 0.286f, "150Hz" },
        { "PanCurve", 0.15f, "logarithmic" },
        { "PanCurve", 0.1f, "logarithmic" },
        { "PanCurve", 0.0f, "linear" },
        { "PanCurve", 0.2f, "sin/cos" },
        { "PanCurve", 0.7f, "sin/cos" },
        { "PanLaw", 0.0f, "-0dB" },
        { "PanLaw", 0.1f, "-3dB" },
        { "PanLaw", 0.2f, "-6dB" },
        { "PanLaw", 0.099f, "-0dB" },
        { "MsMode", 0.5f, "bind levels" },
        { "MsMode", 0.0f, "fix mid" },
        { "PanMode", 0.05f, "dual pan" },
        { "PanMode", 0.1f, "balance" },
    };

    for (const auto& row : rows)
        EXPECT_EQ (f.text (row.name, row.v), row.expected) << row.name << " " << row.v;
}

TEST (ParameterText, SwitchesAreOnOnlyAboveOneHalf)
{
    Fixture f;
    struct Row
    {
        const char* name;
        const char* on;
        const char* off;
    };
    const Row rows[] = {
        { "Bypass", "BYPASS ACTIVE", "BYPASS OFF" },
        { "SwapLR", "SWAP ACTIVE", "NO SWAP" },
        { "PhaseFlip", "PHASE FLIPPED", "PHASE NORMAL" },
        { "Mono", "MONO ACTIVE", "MONO OFF" },
        { "MuteAll", "MUTE-ALL ACTIVE", "NO MUTE-ALL" },
        { "MuteMid", "MUTE-MID ACTIVE", "NO MUTE-MID" },
        { "MuteSide", "MUTE-SIDE ACTIVE", "NO MUTE-SIDE" },
        { "SafeBass", "SAFE BASS ON", "SAFE BASS OFF" },
    };

    for (const auto& row : rows)
    {
        EXPECT_EQ (f.text (row.name, 1.0f), row.on);
        EXPECT_EQ (f.text (row.name, 0.51f), row.on);
        EXPECT_EQ (f.text (row.name, 0.5f), row.off);
        EXPECT_EQ (f.text (row.name, 0.0f), row.off);
        EXPECT_EQ (f.value (row.name, row.on), 0.5f) << "switches read any typed text as 0.5";
    }
}

TEST (ParameterText, RoundingTakesHalvesToEvenAfterTheSinglePrecisionProduct)
{
    Fixture f;

    const auto width = valueGivingHalf (0.5125f, 200.0f, 0.0f); // 102.5 %
    ASSERT_EQ (200.0f * width, 102.5f);
    EXPECT_EQ (f.text ("StereoWidth", width), "102 %");
    const auto width2 = valueGivingHalf (0.5175f, 200.0f, 0.0f); // 103.5 %
    ASSERT_EQ (200.0f * width2, 103.5f);
    EXPECT_EQ (f.text ("StereoWidth", width2), "104 %");

    // 0.0625 × 200 is exactly 12.5 in single precision on both sides of the centre.
    ASSERT_EQ ((0.5625f - 0.5f) * 200.0f, 12.5f);
    EXPECT_EQ (f.text ("Pan", 0.5625f), "R12");
    EXPECT_EQ (f.text ("Pan", 0.4375f), "L12");

    const auto hz = valueGivingHalf (0.2857f, 490.0f, 10.0f);
    ASSERT_FALSE (std::isnan (hz));
    const float product = 10.0f + 490.0f * hz;
    const auto evenNeighbour = (long long) std::nearbyint (product);
    EXPECT_EQ (evenNeighbour % 2, 0);
    EXPECT_EQ (f.text ("SafeBassFreq", hz), juce::String (evenNeighbour) + "Hz");
}

TEST (ParameterText, TypedTextParsesToNormalisedValues)
{
    Fixture f;
    struct Row
    {
        const char* name;
        const char* typed;
        float expected;
    };
    const Row rows[] = {
        { "StereoWidth", "150", 0.75f },
        { "StereoWidth", "-20", 0.0f },
        { "StereoWidth", "500 %", 1.0f },
        { "StereoWidth", "  100 %", 0.5f },
        { "StereoWidth", "abc", 0.0f },
        { "Pan", "L50", 0.25f },
        { "Pan", "R50", 0.75f },
        { "Pan", "50", 0.75f },
        { "Pan", "c", 0.5f },
        { "Pan", " l100 ", 0.0f },
        { "Pan", "r300", 1.0f },
        { "Pan", "+25", 0.625f },
        { "Pan", "C", 0.5f },
        { "InputGain", "30", 1.75f },
        { "InputGain", "-12", 0.0f },
        { "InputGain", "6dB", 0.75f },
        { "SafeBassFreq", "9", 0.0f },
        { "SafeBassFreq", "1000", 1.0f },
        { "SafeBassFreq", "off", 0.0f },
        { "SafeBassFreq", "OFF", 0.0f },
        { "SafeBassFreq", "150Hz", 140.0f / 490.0f },
        { "SafeBassFreq", "10", 0.0f },
        { "PanCurve", "linear", 0.5f },
        { "MsMode", "fix mid", 0.5f },
    };

    for (const auto& row : rows)
        EXPECT_FLOAT_EQ (f.value (row.name, row.typed), row.expected) << row.name << " '" << row.typed << "'";
}

TEST (ParameterText, LevelReadoutIsDecibelsWithOneDecimal)
{
    EXPECT_EQ (levelToDecibelText (0.0f), "-INF");
    EXPECT_EQ (levelToDecibelText (1.0f), "0.0");
    EXPECT_EQ (levelToDecibelText (0.5f), "-6.0");
    EXPECT_EQ (levelToDecibelText (2.0f), "6.0");
    EXPECT_EQ (levelToDecibelText (1.0e-3f), "-60.0");
}
