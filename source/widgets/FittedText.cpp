#include "FittedText.h"

namespace
{
std::vector<FittedText::Drawn>* drawnLog = nullptr;

// A text that is cut or overhangs its box (the framework lets a squeezed line overhang by up to half a
// pixel) is made smaller by at least a fiftieth each try, broken lines by a tenth. The floor keeps a
// text readable.
constexpr float shrinkStep = 0.9f, overhangStep = 0.98f;
constexpr float smallestHeight = 6.0f;
} // namespace

void FittedText::setLog (std::vector<Drawn>* log) noexcept
{
    drawnLog = log;
}

juce::GlyphArrangement FittedText::arrange (const juce::Font& font, const juce::String& text, juce::Rectangle<float> box, juce::Justification justification, int maximumLines, float minimumHorizontalScale)
{
    juce::GlyphArrangement glyphs;
    glyphs.addFittedText (font, text, box.getX(), box.getY(), box.getWidth(), box.getHeight(), justification, maximumLines, minimumHorizontalScale);
    return glyphs;
}

bool FittedText::isComplete (const juce::GlyphArrangement& glyphs, const juce::String& text)
{
    // Line breaks drop spaces and an ellipsis replaces characters: compare what is printed.
    auto c = text.getCharPointer();
    const auto nextPrinted = [&c]
    {
        while (! c.isEmpty() && c.isWhitespace())
            ++c;

        return c.isEmpty() ? juce::juce_wchar (0) : c.getAndAdvance();
    };

    for (const auto& glyph : glyphs)
        if (! glyph.isWhitespace() && glyph.getCharacter() != nextPrinted())
            return false;

    return nextPrinted() == 0;
}

void FittedText::draw (juce::Graphics& g, const juce::Component& owner, const juce::String& text, juce::Rectangle<float> box, juce::Justification justification, int maximumLines, float minimumHorizontalScale)
{
    if (text.isEmpty() || box.isEmpty() || ! g.clipRegionIntersects (box.getSmallestIntegerContainer()))
        return;

    auto font = g.getCurrentFont();
    auto glyphs = arrange (font, text, box, justification, maximumLines, minimumHorizontalScale);

    for (;;)
    {
        const auto complete = isComplete (glyphs, text);
        const auto bounds = glyphs.getBoundingBox (0, -1, false);

        if (complete && bounds.getX() >= box.getX() && bounds.getRight() <= box.getRight())
            break;

        // One line is made smaller at once by as much as it lacks; broken lines a tenth at a time.
        const auto scale = minimumHorizontalScale > 0.0f ? minimumHorizontalScale : juce::Font::getDefaultMinimumHorizontalScaleFactor();
        const auto needed = complete ? bounds.getWidth() : font.getStringWidthFloat (text) * scale;
        const auto step = complete || maximumLines == 1 ? juce::jmin (overhangStep, 0.99f * box.getWidth() / needed) : shrinkStep;
        const auto height = juce::jmax (smallestHeight, font.getHeight() * step);

        if (! (height < font.getHeight()))
            break;

        font = font.withHeight (height);
        glyphs = arrange (font, text, box, justification, maximumLines, minimumHorizontalScale);
    }

    drawAndLog (g, owner, glyphs, text, box, font);
}

void FittedText::drawWithin (juce::Graphics& g, const juce::Component& owner, const juce::String& text, juce::Rectangle<float> area, juce::Justification justification)
{
    const auto& font = g.getCurrentFont();

    if (font.getStringWidthFloat (text) > area.getWidth())
        return draw (g, owner, text, area.toNearestInt().toFloat(), justification, 1, 0.5f);

    if (text.isEmpty() || ! g.clipRegionIntersects (area.getSmallestIntegerContainer()))
        return;

    // Laid out as Graphics::drawText lays out a line that fits.
    juce::GlyphArrangement glyphs;
    glyphs.addCurtailedLineOfText (font, text, 0.0f, 0.0f, area.getWidth(), false);
    glyphs.justifyGlyphs (0, glyphs.getNumGlyphs(), area.getX(), area.getY(), area.getWidth(), area.getHeight(), justification);
    drawAndLog (g, owner, glyphs, text, area, font);
}

void FittedText::drawAndLog (juce::Graphics& g, const juce::Component& owner, const juce::GlyphArrangement& glyphs, const juce::String& text, juce::Rectangle<float> box, const juce::Font& font)
{
    glyphs.draw (g);

    if (drawnLog == nullptr || glyphs.getNumGlyphs() == 0)
        return;

    const auto bounds = glyphs.getBoundingBox (0, -1, false);
    const auto& first = *glyphs.begin();
    const auto fontHeight = first.getBottom() - first.getTop();
    const auto natural = font.withHeight (fontHeight).getStringWidthFloat (text.trim());
    const auto oneLine = bounds.getHeight() < 1.5f * fontHeight;
    juce::Path outlines;

    for (const auto& glyph : glyphs)
        glyph.createPath (outlines);

    drawnLog->push_back ({ &owner, text, box, bounds, outlines.getBounds(), fontHeight, oneLine && natural > 0.0f ? bounds.getWidth() / natural : 1.0f, isComplete (glyphs, text) });
}
