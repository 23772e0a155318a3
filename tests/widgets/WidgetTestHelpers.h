#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <functional>

namespace widgettests
{
/** Paints a component and its children into a fresh image, on a transparent or given background. */
inline juce::Image render (juce::Component& component, juce::Colour background = juce::Colours::transparentBlack)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true);
    juce::Graphics g (image);
    g.fillAll (background);
    component.paintEntireComponent (g, false);
    return image;
}

/** Runs a drawing function on a transparent image of the given size. */
inline juce::Image draw (int width, int height, const std::function<void (juce::Graphics&)>& paint)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    paint (g);
    return image;
}

/** Writes an image as PNG into the build tree's test output folder for a person to look at. */
inline void savePng (const juce::Image& image, const juce::String& name)
{
    const juce::File folder (WYDENZA_WIDGET_TEST_OUTPUT);
    ASSERT_TRUE (folder.createDirectory().wasOk());

    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();

    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk());
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, stream));
}

/** Renders the component at two sizes on a light background and saves both. */
inline void saveAtTwoSizes (juce::Component& component, const juce::String& name,
                            juce::Rectangle<int> small, juce::Rectangle<int> large)
{
    for (auto size : { small, large })
    {
        component.setBounds (size);
        savePng (render (component, juce::Colour (0xFFE8E8E8)),
                 name + "-" + juce::String (size.getWidth()) + "x" + juce::String (size.getHeight()));
    }
}

inline bool isNear (juce::Colour actual, juce::Colour expected, int tolerance = 2)
{
    return std::abs (actual.getRed() - expected.getRed()) <= tolerance
        && std::abs (actual.getGreen() - expected.getGreen()) <= tolerance
        && std::abs (actual.getBlue() - expected.getBlue()) <= tolerance
        && std::abs (actual.getAlpha() - expected.getAlpha()) <= tolerance;
}

/** Counts the pixels inside the area for which the predicate holds. */
inline int countPixels (const juce::Image& image, juce::Rectangle<int> area,
                        const std::function<bool (juce::Colour)>& predicate)
{
    int count = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (predicate (image.getPixelAt (x, y)))
                ++count;

    return count;
}

inline int countPixels (const juce::Image& image, const std::function<bool (juce::Colour)>& predicate)
{
    return countPixels (image, image.getBounds(), predicate);
}

inline std::function<bool (juce::Colour)> near (juce::Colour expected, int tolerance = 2)
{
    return [=] (juce::Colour c) { return isNear (c, expected, tolerance); };
}

/** A mouse event from the main mouse source at a position local to the component. */
inline juce::MouseEvent mouseEvent (juce::Component& component, juce::Point<float> position,
                                    juce::ModifierKeys mods, juce::Point<float> downPosition, bool dragged)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(), position, mods,
             juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
             &component, &component, now, downPosition, now, 1, dragged };
}
} // namespace widgettests
