#include "SignalScope.h"

#include "Palette.h"

#include <cmath>

SignalScope::SignalScope() = default;

SignalScope::~SignalScope() = default;

juce::Colour SignalScope::getDotColour() noexcept
{
    return paletteBlue.brighter (0.6f);
}

void SignalScope::addFrames (const float* left, const float* right, int count, double sampleRate)
{
    if (count <= 0 || ! (sampleRate > 0.0))
        return;

    // Made at the first frames: an editor whose scope is never shown does without.
    if (leftHistory.empty())
    {
        leftHistory.resize ((size_t) maxHistoryFrames);
        rightHistory.resize ((size_t) maxHistoryFrames);
    }

    const auto historyLength = juce::jlimit (1, maxHistoryFrames, juce::roundToInt (historySeconds * sampleRate));
    // Only the newest frames can stay; the level follows all of them.
    const auto firstKept = juce::jmax (0, count - historyLength);
    auto peak = 0.0f;
    // Far below half a pixel at any size the editor can have.
    const auto visibleExtent = level * 1.0e-3f;

    for (auto i = 0; i < count; ++i)
    {
        const auto l = left[i], r = right[i];
        // The goniometer's axes: mid up, side across. A NaN compares false and is left out.
        const auto extent = 0.5f * juce::jmax (std::abs (l + r), std::abs (r - l));

        if (extent > peak && extent < 1.0e30f)
            peak = extent;

        if (i >= firstKept)
        {
            leftHistory[(size_t) writePosition] = l;
            rightHistory[(size_t) writePosition] = r;
            writePosition = (writePosition + 1) % maxHistoryFrames;
            framesSinceVisible = extent >= visibleExtent ? 0 : juce::jmin (framesSinceVisible + 1, maxHistoryFrames);
        }
    }

    numFrames = juce::jmin (numFrames + count - firstKept, historyLength);
    followLevel (peak, (double) count / sampleRate);
}

void SignalScope::followLevel (float peak, double seconds) noexcept
{
    const auto timeConstant = peak > level ? levelRiseSeconds : levelFallSeconds;
    level += (peak - level) * (float) (1.0 - std::exp (-seconds / timeConstant));
    level = juce::jmax (level, quietestFullSizeLevel);
}

juce::Image SignalScope::renderDots (int width, int height) const
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, width), juce::jmax (1, height), true, juce::SoftwareImageType());
    plotDots (image);
    return image;
}

void SignalScope::plotDots (juce::Image& image) const
{
    const auto w = image.getWidth(), h = image.getHeight();
    const auto scale = 0.5f * (float) (juce::jmin (w, h) - 1) / level;
    const auto centreX = w / 2, centreY = h / 2;

    // Dots add up, so that where the signal often is shines brightest; older dots add less.
    juce::PixelARGB colourForAlpha[256];

    for (auto a = 0; a < 256; ++a)
        colourForAlpha[a] = getDotColour().withAlpha ((juce::uint8) a).getPixelARGB();

    constexpr int shades = 16;
    int addedAlpha[shades];

    for (auto k = 0; k < shades; ++k)
        addedAlpha[k] = juce::roundToInt (255.0f * (0.25f + 0.45f * (float) k / (float) (shades - 1)));

    const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readWrite);
    const auto oldest = (writePosition - numFrames + maxHistoryFrames) % maxHistoryFrames;

    for (auto i = 0; i < numFrames; ++i)
    {
        const auto slot = (size_t) ((oldest + i) % maxHistoryFrames);
        const auto l = leftHistory[slot], r = rightHistory[slot];
        const auto up = 0.5f * (l + r) * scale, across = 0.5f * (r - l) * scale;

        // Silence, and what is too quiet to leave the middle pixel, stays dark; NaN fails both tests.
        if (! (std::abs (up) < 1.0e6f && std::abs (across) < 1.0e6f) || (std::abs (up) < 0.5f && std::abs (across) < 0.5f))
            continue;

        const auto x = centreX + (int) std::lround (across);
        const auto y = centreY - (int) std::lround (up);

        if (juce::isPositiveAndBelow (x, w) && juce::isPositiveAndBelow (y, h))
        {
            auto& pixel = *reinterpret_cast<juce::PixelARGB*> (pixels.getPixelPointer (x, y));
            pixel = colourForAlpha[juce::jmin (255, pixel.getAlpha() + addedAlpha[i * shades / numFrames])];
        }
    }
}

void SignalScope::drawDots (juce::Graphics& g, juce::Rectangle<int> area)
{
    if (numFrames == 0 || area.isEmpty())
        return;

    // A square, the goniometer's own shape, with an odd side: identical channels get a middle column.
    auto side = juce::jmin (area.getWidth(), area.getHeight());
    side -= 1 - side % 2;
    area = area.withSizeKeepingCentre (side, side);

    if (dotImage.getWidth() != area.getWidth() || dotImage.getHeight() != area.getHeight())
        dotImage = juce::Image (juce::Image::ARGB, area.getWidth(), area.getHeight(), true, juce::SoftwareImageType());
    else
        dotImage.clear (dotImage.getBounds());

    plotDots (dotImage);
    g.drawImageAt (dotImage, area.getX(), area.getY());
}

void SignalScope::drawCorrelationMeter (juce::Graphics& g, juce::Rectangle<float> area) const
{
    g.setColour (juce::Colours::white.withAlpha (0.08f));
    g.fillRect (area);

    const auto zeroX = area.getCentreX();

    if (correlation.has_value())
    {
        const auto value = juce::jlimit (-1.0f, 1.0f, *correlation);
        const auto x = area.getX() + 0.5f * (value + 1.0f) * area.getWidth();
        g.setColour (value < 0.0f ? paletteOrange : getDotColour());
        g.fillRect (juce::Rectangle<float>::leftTopRightBottom (juce::jmin (x, zeroX), area.getY(), juce::jmax (x, zeroX), area.getBottom()));
        // The reading's own mark, so that 0 shows too.
        g.fillRect (juce::Rectangle<float> (x - 1.0f, area.getY(), 2.0f, area.getHeight()).constrainedWithin (area));
    }

    g.setColour (juce::Colours::darkgrey);
    g.fillRect (juce::Rectangle<float> (zeroX - 0.5f, area.getY(), 1.0f, area.getHeight()));
}
