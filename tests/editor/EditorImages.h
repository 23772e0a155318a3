#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstring>

namespace editortests
{
inline juce::Image paintEditor (juce::Component& editor)
{
    juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    editor.paintEntireComponent (g, false);
    return image;
}

/** Number of pixel rows that differ between two images of the same size (-1 for other sizes). */
inline int countDifferences (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return -1;

    const juce::Image::BitmapData da (a, juce::Image::BitmapData::readOnly), db (b, juce::Image::BitmapData::readOnly);
    auto differences = 0;

    for (auto y = 0; y < a.getHeight(); ++y)
        differences += std::memcmp (da.getLinePointer (y), db.getLinePointer (y), (size_t) (a.getWidth() * da.pixelStride)) != 0 ? 1 : 0;

    return differences;
}

/** Writes a screenshot for a person to look at into the editor tests' output folder. */
inline void savePng (const juce::Image& image, const juce::String& name)
{
    const auto file = juce::File (WYDENZA_EDITOR_TEST_OUTPUT).getChildFile (name + ".png");
    ASSERT_TRUE (file.getParentDirectory().createDirectory().wasOk());
    file.deleteFile();
    juce::FileOutputStream stream (file);
    ASSERT_TRUE (stream.openedOk() && juce::PNGImageFormat().writeImageToStream (image, stream));
}
} // namespace editortests
