#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <functional>

namespace widgettests
{
using Paint = std::function<void (juce::Graphics&)>;
using PixelTest = std::function<bool (juce::Colour)>;

/** Runs a drawing function on a transparent image. */
inline juce::Image draw (int width, int height, const Paint& paint)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    paint (g);
    return image;
}

/** Paints a component and its children, as the editor would, onto the given background. */
inline juce::Image render (juce::Component& c, juce::Colour background = juce::Colours::transparentBlack)
{
    return draw (c.getWidth(), c.getHeight(), [&] (juce::Graphics& g)
                 { g.fillAll (background); c.paintEntireComponent (g, false); });
}

/** Writes a PNG into the test output folder of the build tree, for a person to look at. */
inline void savePng (const juce::Image& image, const juce::String& name)
{
    const auto file = juce::File (WYDENZA_WIDGET_TEST_OUTPUT).getChildFile (name + ".png");
    ASSERT_TRUE (file.getParentDirectory().createDirectory().wasOk());
    file.deleteFile();
    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk() && juce::PNGImageFormat().writeImageToStream (image, stream));
}

inline void saveAtTwoSizes (juce::Component& c, const juce::String& name, juce::Point<int> small, juce::Point<int> large)
{
    for (auto size : { small, large })
    {
        c.setSize (size.x, size.y);
        savePng (render (c, juce::Colour (0xFFE8E8E8)), name + "-" + juce::String (size.x) + "x" + juce::String (size.y));
    }
}

inline bool isNear (juce::Colour a, juce::Colour b, int tolerance = 2)
{
    return std::abs (a.getRed() - b.getRed()) <= tolerance && std::abs (a.getGreen() - b.getGreen()) <= tolerance
           && std::abs (a.getBlue() - b.getBlue()) <= tolerance && std::abs (a.getAlpha() - b.getAlpha()) <= tolerance;
}

inline PixelTest near (juce::Colour expected, int tolerance = 2)
{
    return [=] (juce::Colour c)
    { return isNear (c, expected, tolerance); };
}

inline int countPixels (const juce::Image& image, const PixelTest& test, juce::Rectangle<int> area = { 0, 0, 1 << 16, 1 << 16 })
{
    int count = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            count += test (image.getPixelAt (x, y)) ? 1 : 0;

    return count;
}
} // namespace widgettests
