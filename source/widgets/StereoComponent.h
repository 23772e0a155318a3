#pragma once

#include "SignalScope.h"

#include <juce_gui_basics/juce_gui_basics.h>

/**
    The picture of the stereo stage: a triangle from the listener (bottom centre) to the stage,
    wider, flatter and bluer as the width grows, swung about the listener by the pan. Bypass and
    mute-all replace it with a caption, bypass winning when both are on. On request a signal scope of
    the output lies behind the triangle, with a correlation meter along the bottom edge.
*/
class StereoComponent : public juce::Component,
                        public juce::SettableTooltipClient
{
public:
    /** The font is not owned and may be null; it must outlive this component. */
    explicit StereoComponent (const juce::Font* fontToUse);
    ~StereoComponent() override;

    /** Normalised stereo width, 0..1 (0.5 = unchanged, 0 = mono). */
    void setWidthValue (float newWidthValue);

    /** Normalised pan, 0..1 (0.5 = centre). */
    void setPanValue (float newPanValue);

    void setBypassed (bool shouldBeBypassed);
    void setMutedAll (bool shouldBeMutedAll);

    float getWidthValue() const noexcept { return widthValue; }
    float getPanValue() const noexcept { return panValue; }
    bool isBypassed() const noexcept { return bypassed; }
    bool isMutedAll() const noexcept { return mutedAll; }

    /** Shows or hides the signal scope; off, the picture is exactly as without one. */
    void setScopeShown (bool shouldBeShown);
    bool isScopeShown() const noexcept { return scopeShown; }
    /** Shown and not replaced by the bypass or mute-all caption. */
    bool isScopeVisible() const noexcept { return scopeShown && ! bypassed && ! mutedAll; }
    /** The owner feeds it and repaints this component. */
    SignalScope& getScope() noexcept { return scope; }

    /** Where the correlation meter runs, below the field area, for a component of the given size. */
    static juce::Rectangle<float> getCorrelationMeterArea (float width, float height) noexcept;

    /** The triangle's corners inside the field area. */
    struct Stage
    {
        juce::Point<float> left, right, apex;
    };

    /** Places the stage for a width and pan value in the field area: rotated about the apex by
        (pan - 0.5) x pi clockwise, then kept inside the field's sides and not below the apex. */
    static Stage computeStage (juce::Rectangle<float> field, float widthValue, float panValue) noexcept;

    /** Grey, tinted towards blue as the width goes beyond normal. */
    static juce::Colour getStageColour (float widthValue) noexcept;

    /** The area the triangle lives in, for a component of the given size. */
    static juce::Rectangle<float> getFieldArea (float width, float height) noexcept;

    void paint (juce::Graphics&) override;
    void resized() override;
    juce::String getTooltip() override;

private:
    void drawCaption (juce::Graphics&, const juce::String& text, juce::Colour colour) const;

    const juce::Font* font;
    float widthF = 0.0f, heightF = 0.0f;
    float widthValue = 0.5f;
    float panValue = 0.5f;
    bool bypassed = false;
    bool mutedAll = false;
    bool scopeShown = false;
    SignalScope scope;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StereoComponent)
};
