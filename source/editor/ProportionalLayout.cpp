#include "ProportionalLayout.h"

#include "widgets/FittedText.h"

ProportionalLayout::ProportionalLayout (float referenceHeightToUse, float heightFactorToUse, float widthFactorToUse)
    : referenceHeight (referenceHeightToUse),
      heightFactor (heightFactorToUse),
      widthFactor (widthFactorToUse),
      unit (referenceHeightToUse * heightFactorToUse)
{
}

void ProportionalLayout::addEntry (juce::Component& component, float x, float y, float w, float h, juce::uint8 anchor)
{
    entries.push_back ({ &component, { x, y, w, h }, anchor });
}

void ProportionalLayout::layOut (float panelHeight)
{
    unit = panelHeight;
    sizeScale = referenceHeight > 0.0f ? panelHeight / referenceHeight / heightFactor : 1.0f;

    for (const auto& e : entries)
        e.component->setBounds (boundsFor (e.area.getX(), e.area.getY(), e.area.getWidth(), e.area.getHeight(), e.anchor));
}

juce::Rectangle<int> ProportionalLayout::boundsFor (float x, float y, float w, float h, juce::uint8 anchor) const noexcept
{
    const auto both = [anchor] (int bits)
    { return (anchor & bits) == bits; };

    const auto fx = both (left | right) ? 0.5f - w * 0.5f : (anchor & right) != 0 ? 1.0f - x
                                                                                  : x;
    const auto fy = both (top | bottom) ? 0.5f - h * 0.5f : (anchor & bottom) != 0 ? 1.0f - y
                                                                                   : y;
    const auto s = sizeScale * referenceHeight;

    return { juce::roundToInt (fx * unit * widthFactor),
             juce::roundToInt (fy * unit),
             juce::roundToInt (w * s),
             juce::roundToInt (h * s) };
}

juce::Rectangle<float> ProportionalLayout::areaFor (float x, float y, float w, float h) const noexcept
{
    const auto s = sizeScale * referenceHeight;
    return { x * unit * widthFactor, y * unit, w * s, h * s };
}

void ProportionalLayout::drawFramedBox (juce::Graphics& g, float x, float y, float w, float h) const
{
    const auto area = areaFor (x, y, w, h);
    const auto corner = cornerFactor * unit;

    g.setColour (boxFill);
    g.fillRoundedRectangle (area, corner);
    g.setColour (boxOutline);
    g.drawRoundedRectangle (area, corner, 0.3f * corner);
}

void ProportionalLayout::drawCaption (juce::Graphics& g, const juce::Component& owner, const juce::String& text, float x, float y, float w, float h, juce::Justification justification, juce::Colour colour, bool clearOfBoxFrame) const
{
    const auto area = areaFor (x, y, w, h).reduced (clearOfBoxFrame ? cornerFactor * unit : 0.0f, 0.0f);

    g.setFont (g.getCurrentFont().withHeight (h * sizeScale * referenceHeight));
    g.setColour (colour);
    FittedText::drawWithin (g, owner, text, area, justification);
}
