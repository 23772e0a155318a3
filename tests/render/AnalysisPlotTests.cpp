#include "AnalysisPlot.h"
#include "StereoAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>

namespace
{
constexpr double rate = 48000.0;

StereoAnalysisResult analyseSine (float leftGain, float rightGain)
{
    juce::AudioBuffer<float> buffer (2, 48000);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
    {
        const auto s = (float) std::sin (juce::MathConstants<double>::twoPi * 440.0 * i / rate);
        buffer.setSample (0, i, leftGain * s);
        buffer.setSample (1, i, rightGain * s);
    }

    StereoAnalysis analysis (rate);
    analysis.addBlock (buffer.getReadPointer (0), buffer.getReadPointer (1), buffer.getNumSamples());
    return analysis.getResult();
}

/** Clearly tinted by the cloud's blue; the axes, frame and labels are grey or white. */
bool isCloudPixel (juce::Colour c)
{
    return c.getBlue() > c.getRed() + 20;
}

struct GoniometerCase
{
    const char* name;
    float leftGain, rightGain;
    /** Where the cloud must lie, as an offset (right, up) from the goniometer's centre. */
    std::function<bool (int dx, int dy)> onLine;
};

void PrintTo (const GoniometerCase& c, std::ostream* out)
{
    *out << c.name;
}

class GoniometerShapes : public ::testing::TestWithParam<GoniometerCase>
{
};

const GoniometerCase goniometerCases[] = {
    { "identical channels: a vertical line on the middle column", 0.5f, 0.5f, [] (int dx, int)
      { return dx == 0; } },
    { "opposite channels: a horizontal line on the middle row", 0.5f, -0.5f, [] (int, int dy)
      { return dy == 0; } },
    { "left alone: the diagonal up to the left", 0.5f, 0.0f, [] (int dx, int dy)
      { return std::abs (dx + dy) <= 1; } },
    { "right alone: the diagonal up to the right", 0.0f, 0.5f, [] (int dx, int dy)
      { return std::abs (dx - dy) <= 1; } },
};
} // namespace

TEST_P (GoniometerShapes, TheCloudLiesOnItsLineAndSpansTheFrame)
{
    const auto& c = GetParam();
    const AnalysisPlot plot ("test", { { "signal", analyseSine (c.leftGain, c.rightGain) } });
    const auto image = plot.draw();
    const auto area = plot.getGoniometerBounds (0);
    ASSERT_EQ (area.getWidth() % 2, 1);
    const auto cx = area.getX() + area.getWidth() / 2, cy = area.getY() + area.getHeight() / 2;

    int cloudPixels = 0, offLine = 0, reach = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (isCloudPixel (image.getPixelAt (x, y)))
            {
                ++cloudPixels;
                reach = std::max (reach, std::abs (x - cx) + std::abs (y - cy));
                if (! c.onLine (x - cx, cy - y))
                    ++offLine;
            }

    EXPECT_EQ (offLine, 0) << c.name;
    EXPECT_GT (cloudPixels, 0) << c.name;
    EXPECT_GE (reach, area.getWidth() / 2 - 6) << "scaled to the peak, the line reaches the diamond where a channel peaks";
}

INSTANTIATE_TEST_SUITE_P (Signals, GoniometerShapes, ::testing::ValuesIn (goniometerCases), [] (const auto& info)
                          { return juce::String (info.param.name).upToFirstOccurrenceOf (":", false, false).retainCharacters ("abcdefghijklmnopqrstuvwxyz").toStdString(); });

TEST (AnalysisPlot, IndependentChannelsFillThePlaneAndSilenceDrawsNoCloud)
{
    juce::AudioBuffer<float> noise (2, 48000);
    juce::Random random (3);
    for (int i = 0; i < noise.getNumSamples(); ++i)
        for (int channel = 0; channel < 2; ++channel)
            noise.setSample (channel, i, random.nextFloat() - 0.5f);

    StereoAnalysis noiseAnalysis (rate), silenceAnalysis (rate);
    noiseAnalysis.addBlock (noise.getReadPointer (0), noise.getReadPointer (1), noise.getNumSamples());
    noise.clear();
    silenceAnalysis.addBlock (noise.getReadPointer (0), noise.getReadPointer (1), noise.getNumSamples());

    const AnalysisPlot plot ("test", { { "noise", noiseAnalysis.getResult() }, { "silence", silenceAnalysis.getResult() } });
    const auto image = plot.draw();
    ASSERT_EQ (image.getWidth(), AnalysisPlot::width);
    ASSERT_EQ (image.getHeight(), AnalysisPlot::height);

    const auto columnsWithCloud = [&] (juce::Rectangle<int> area)
    {
        std::set<int> columns;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (isCloudPixel (image.getPixelAt (x, y)))
                    columns.insert (x);
        return columns.size();
    };

    const auto noiseArea = plot.getGoniometerBounds (0), silenceArea = plot.getGoniometerBounds (1);
    EXPECT_GT (columnsWithCloud (noiseArea), (size_t) noiseArea.getWidth() / 2);
    EXPECT_EQ (columnsWithCloud (silenceArea), 0u);
    EXPECT_FALSE (noiseArea.intersects (silenceArea)) << "side by side";
}
