#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/**
    Every text of the editor is drawn through here: fitted into its box as Graphics::drawFittedText
    fits it (squeezed sideways down to a minimum scale, then broken into lines), except that a text
    that would still not fit is drawn smaller instead of being cut with an ellipsis. What is drawn can
    be logged, so that a test measures the glyphs as they really land. Message thread only.
*/
class FittedText
{
public:
    /** One text as drawn, in the coordinates of the component whose paint drew it. */
    struct Drawn
    {
        const juce::Component* component;
        juce::String text;
        juce::Rectangle<float> box;
        /** From the first glyph's left to the last one's right, ascent to descent of the font used. */
        juce::Rectangle<float> glyphs;
        /** What the glyphs' outlines cover. */
        juce::Rectangle<float> ink;
        float fontHeight, horizontalScale;
        /** Every character of the text was drawn (no ellipsis took the place of some). */
        bool complete;
    };

    /** Draws the text in the box with the current font: on at most maximumLines lines, squeezed
        sideways down to minimumHorizontalScale (0 for the framework's default), then made smaller
        until every character lies within the box's width. */
    static void draw (juce::Graphics&, const juce::Component& owner, const juce::String& text, juce::Rectangle<float> box, juce::Justification, int maximumLines, float minimumHorizontalScale);

    /** Draws one line as it is when it fits the area, else squeezed to fit (down to half its width),
        then made smaller. */
    static void drawWithin (juce::Graphics&, const juce::Component& owner, const juce::String& text, juce::Rectangle<float> area, juce::Justification);

    /** While a log is set, every text drawn is appended to it; nullptr stops logging. */
    static void setLog (std::vector<Drawn>* log) noexcept;

private:
    static juce::GlyphArrangement arrange (const juce::Font&, const juce::String& text, juce::Rectangle<float> box, juce::Justification, int maximumLines, float minimumHorizontalScale);
    static bool isComplete (const juce::GlyphArrangement&, const juce::String& text);
    static void drawAndLog (juce::Graphics&, const juce::Component& owner, const juce::GlyphArrangement&, const juce::String& text, juce::Rectangle<float> box, const juce::Font&);
};
