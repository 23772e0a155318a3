#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <vector>

/**
    Places the panel's buttons and draws its framed boxes and captions in units that follow the panel
    height H: positions are fractions of the width (1.5 H) and the height, sizes are in units of
    S = 2 H (the height over the height factor), and each entry's anchor picks the edges it keeps to.
*/
class ProportionalLayout
{
public:
    enum Anchor : juce::uint8
    {
        left = 1,
        right = 2,
        top = 4,
        bottom = 8,
        leftTop = left | top,
        leftBottom = left | bottom,
        rightBottom = right | bottom
    };

    ProportionalLayout (float referenceHeightToUse, float heightFactorToUse, float widthFactorToUse);

    /** Appends a component to be placed by layOut; it is not owned and must outlive its entry. */
    void addEntry (juce::Component& component, float x, float y, float w, float h, juce::uint8 anchor);

    /** Takes the new panel height as unit and places every entry in the order it was added. */
    void layOut (float panelHeight);

    /** The bounds an entry gets for the current unit, rounded to whole pixels. */
    juce::Rectangle<int> boundsFor (float x, float y, float w, float h, juce::uint8 anchor) const noexcept;

    /** The rectangle (x x W, y x H, w x S, h x S) that framed boxes and captions use. */
    juce::Rectangle<float> areaFor (float x, float y, float w, float h) const noexcept;

    void drawFramedBox (juce::Graphics&, float x, float y, float w, float h) const;
    /** A line of text in the rectangle, squeezed sideways rather than cut when it is too wide. The
        owner is the component whose paint draws it. A caption across a framed box of the same width
        keeps a corner's width clear of the box's frame on either side.
    */
    void drawCaption (juce::Graphics&, const juce::Component& owner, const juce::String& text, float x, float y, float w, float h, juce::Justification, juce::Colour, bool clearOfBoxFrame = false) const;

    float getUnit() const noexcept { return unit; }
    float getSizeScale() const noexcept { return sizeScale; }
    float getReferenceHeight() const noexcept { return referenceHeight; }

    const juce::Colour boxFill = juce::Colours::black.withAlpha (0.07f);
    const juce::Colour boxOutline = juce::Colours::black.withAlpha (0.3f);
    static constexpr float cornerFactor = 0.01f;

private:
    struct Entry
    {
        juce::Component* component;
        juce::Rectangle<float> area;
        juce::uint8 anchor;
    };

    float referenceHeight, heightFactor, widthFactor;
    float unit, sizeScale = 1.0f;
    std::vector<Entry> entries;
};
