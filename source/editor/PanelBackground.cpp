#include "PanelBackground.h"

#include "widgets/Palette.h"

juce::Colour PanelBackground::baseColour (float schemeBrightness)
{
    return paletteDarkGrey.brighter (schemeBrightness);
}

void PanelBackground::drawUncached (juce::Graphics& g, int width, int height, float schemeBrightness)
{
    const auto base = baseColour (schemeBrightness);
    g.setColour (base);
    g.fillAll();

    juce::Random random (4);
    auto x = 0;

    for (auto y = 0; y < height; ++y)
    {
        int x2;

        do
        {
            const auto x1 = x + random.nextInt (juce::Range<int> (5, 80));
            x2 = x1 + random.nextInt (juce::Range<int> (5, 80));
            const auto amount = random.nextFloat() * 0.03f;
            const auto lighter = (random.nextInt() & (1 << 30)) != 0;

            g.setColour (lighter ? base.brighter (amount) : base.darker (amount));
            g.drawHorizontalLine (y, (float) x1, (float) x2);
            x = x2;
        } while (x2 < width);

        x = random.nextInt (juce::Range<int> (0, 5));
    }

    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.05f), 0.0f, 0.0f, juce::Colours::black.withAlpha (0.05f), (float) width, (float) height, false));
    g.fillAll();
}

void PanelBackground::draw (juce::Graphics& g, int width, int height, float schemeBrightness)
{
    // Only a copy at one device pixel per logical pixel is exact; a scaled context draws afresh.
    if (width <= 0 || height <= 0 || g.getInternalContext().getPhysicalPixelScaleFactor() != 1.0f)
    {
        drawUncached (g, width, height, schemeBrightness);
        return;
    }

    if (cached.getWidth() != width || cached.getHeight() != height || cachedBrightness != schemeBrightness)
    {
        // Opaque: copied without blending, which is what the meters' repaints every 70 ms mostly cost.
        cached = juce::Image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
        juce::Graphics imageGraphics (cached);
        drawUncached (imageGraphics, width, height, schemeBrightness);
        cachedBrightness = schemeBrightness;
    }

    g.drawImageAt (cached, 0, 0);
}

void PanelBackground::clear()
{
    cached = {};
    cachedBrightness = -1.0f;
}
