#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The panel's textured background: a base colour, short horizontal strokes a little lighter or
    darker from a fixed random sequence, and a faint diagonal light-to-dark gradient. The fixed seed
    makes every paint of one size the same, so the result is kept in an image per size and scheme
    and copied on later paints; the copy is pixel for pixel what drawing it afresh gives.
*/
class PanelBackground
{
public:
    /** Draws the background for a panel of the given size and scheme brightness. */
    void draw (juce::Graphics&, int width, int height, float schemeBrightness);

    /** The colour the strokes vary around, for a scheme brightness. */
    static juce::Colour baseColour (float schemeBrightness);

    /** Draws the background afresh, stroke by stroke, with no cached image. */
    static void drawUncached (juce::Graphics&, int width, int height, float schemeBrightness);

    /** Forgets the kept image (its memory goes too). */
    void clear();

private:
    juce::Image cached;
    float cachedBrightness = -1.0f;
};
