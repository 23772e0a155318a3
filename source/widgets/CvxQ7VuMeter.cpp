#include "CvxQ7VuMeter.h"

#include "Palette.h"

#include <cmath>

CvxQ7VuMeter::CvxQ7VuMeter (float maxLevelToUse)
    : maxLevel (maxLevelToUse)
{
}

CvxQ7VuMeter::~CvxQ7VuMeter() = default;

void CvxQ7VuMeter::setLevel (float newLevel)
{
    if (! isVisible())
        return;

    // The editor feeds the meters every 70 ms; an unchanged picture is not painted again.
    const auto wasOver = level > 1.0f;
    const auto oldTop = getBarTop();
    level = newLevel;

    if (getBarTop() != oldTop || (level > 1.0f) != wasOver)
        repaint();
}

float CvxQ7VuMeter::getBarTop() const noexcept
{
    const auto height = (float) getHeight();

    // The ratio sits under the root so that maxLevel itself fills the meter; a NaN level shows
    // an empty bar rather than poisoning the path.
    const auto ratio = maxLevel > 0.0f ? level / maxLevel : 0.0f;
    const auto fill = ratio > 0.0f ? juce::jmin (1.0f, std::sqrt (ratio)) : 0.0f;

    return height - height * fill;
}

void CvxQ7VuMeter::paint (juce::Graphics& g)
{
    if (! isVisible())
        return;

    const auto width = (float) getWidth();
    const auto height = (float) getHeight();

    g.fillAll (juce::Colours::black);

    const auto top = getBarTop();

    if (top >= height)
        return;

    juce::Path bar;
    bar.addLineSegment ({ width * 0.5f, height, width * 0.5f, top }, width);

    g.setColour (level > 1.0f ? paletteOrange : paletteBlue);
    g.fillPath (bar);
}

juce::String CvxQ7VuMeter::getTooltip()
{
    return "Stereo VU Meter";
}
