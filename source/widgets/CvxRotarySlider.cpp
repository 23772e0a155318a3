#include "CvxRotarySlider.h"

#include "processor/PluginParameter.h"

CvxRotarySlider::CvxRotarySlider (const PluginParameter* parameterToUse)
    : parameter (parameterToUse)
{
    setSliderStyle (RotaryVerticalDrag);
    setMouseDragSensitivity (350);
    setVelocityBasedMode (false);
    setVelocityModeParameters (1.0, 1, 0.01, false);
}

CvxRotarySlider::~CvxRotarySlider() = default;

void CvxRotarySlider::mouseDown (const juce::MouseEvent& e)
{
    pressStartedDrag = false;

    if (! isEnabled())
    {
        Slider::mouseDown (e);
        return;
    }

    if (e.mods.isCommandDown())
    {
        mouseDoubleClick (e);
        return;
    }

    if (! e.source.isUnboundedMouseMovementEnabled())
        e.source.enableUnboundedMouseMovement (true);

    Slider::mouseDown (e);
    dragStartScreenPosition = e.getScreenPosition();
    pressStartedDrag = true;
}

void CvxRotarySlider::mouseDrag (const juce::MouseEvent& e)
{
    setVelocityBasedMode (e.mods.isShiftDown());
    Slider::mouseDrag (e);
}

void CvxRotarySlider::mouseUp (const juce::MouseEvent& e)
{
    if (e.source.isUnboundedMouseMovementEnabled())
        e.source.enableUnboundedMouseMovement (false);

    Slider::mouseUp (e);

    if (isEnabled())
    {
        setVelocityBasedMode (false);

        if (pressStartedDrag)
            juce::Desktop::setMousePosition (dragStartScreenPosition);
    }

    pressStartedDrag = false;
}

juce::String CvxRotarySlider::getTextFromValue (double value)
{
    if (parameter != nullptr)
        return parameter->getTextForValue ((float) value);

    return juce::String (value, 2);
}

double CvxRotarySlider::getValueFromText (const juce::String& text)
{
    const auto cleaned = cleanTypedText (text);

    if (parameter != nullptr)
        return (double) parameter->getValueForText (cleaned);

    return cleaned.getDoubleValue();
}

juce::String CvxRotarySlider::cleanTypedText (const juce::String& text)
{
    auto cleaned = text.trim();

    while (cleaned.startsWithChar ('+'))
        cleaned = cleaned.substring (1).trimStart();

    return cleaned.replace (",", ".", true).retainCharacters ("0123456789.,-");
}
