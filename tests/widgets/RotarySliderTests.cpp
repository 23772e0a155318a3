#include "WidgetTestHelpers.h"

#include "processor/PluginParameter.h"
#include "widgets/CvxRotarySlider.h"

namespace
{
/** A knob as the main panel sets one up, at (100, 200), pressed at its local (40, 40). */
struct KnobDrag : public ::testing::Test, public juce::Slider::Listener
{
    KnobDrag()
    {
        knob.setRange (0.0, 1.0, 0.0001);
        knob.setValue (0.5, juce::dontSendNotification);
        knob.setDoubleClickReturnValue (true, 0.25);
        knob.setBounds (100, 200, 80, 80);
        knob.addListener (this);
    }

    void sliderValueChanged (juce::Slider*) override { ++changes; }
    void sliderDragStarted (juce::Slider*) override { ++starts; }
    void sliderDragEnded (juce::Slider*) override { ++ends; }

    juce::MouseEvent at (float y, juce::ModifierKeys mods)
    {
        const auto now = juce::Time::getCurrentTime();
        return { juce::Desktop::getInstance().getMainMouseSource(), { 40.0f, y }, mods.withFlags (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &knob, &knob, now, { 40.0f, 40.0f }, now, 1, y != 40.0f };
    }

    void press (juce::ModifierKeys mods = {}) { knob.mouseDown (at (40.0f, mods)); }
    void drag (float dy, juce::ModifierKeys mods = {}) { knob.mouseDrag (at (40.0f - dy, mods)); }
    void release (float dy) { knob.mouseUp (at (40.0f - dy, {})); }

    CvxRotarySlider knob { nullptr };
    int changes = 0, starts = 0, ends = 0;
};
} // namespace

TEST_F (KnobDrag, CtrlClickResetsInOneGestureWithoutMovingThePointer)
{
    juce::Desktop::setMousePosition ({ 700, 500 });
    press (juce::ModifierKeys::ctrlModifier);
    release (0.0f);

    EXPECT_DOUBLE_EQ (knob.getValue(), 0.25);
    EXPECT_EQ (juce::Point<int> (starts, ends), juce::Point<int> (1, 1));
    EXPECT_EQ (changes, 1);
    EXPECT_EQ (juce::Desktop::getMousePosition(), juce::Point<int> (700, 500));
}

TEST_F (KnobDrag, ShiftSwitchesToFineModeMidDragAndThePointerReturns)
{
    press();
    drag (35.0f); // 350 pixels span the range
    EXPECT_NEAR (knob.getValue(), 0.6, 1.0e-4);

    drag (70.0f, juce::ModifierKeys::shiftModifier); // the next 35 pixels move far less, from 0.6 on
    EXPECT_TRUE (knob.getVelocityBasedMode());
    EXPECT_GT (knob.getValue(), 0.6);
    EXPECT_LT (knob.getValue(), 0.65);

    drag (-400.0f);
    EXPECT_FALSE (knob.getVelocityBasedMode());
    EXPECT_DOUBLE_EQ (knob.getValue(), 0.0);

    drag (-399.0f, juce::ModifierKeys::shiftModifier);
    juce::Desktop::setMousePosition ({ 900, 900 }); // where the hidden pointer has wandered
    release (-399.0f);

    EXPECT_FALSE (knob.getVelocityBasedMode());
    EXPECT_EQ (juce::Desktop::getMousePosition(), juce::Point<int> (140, 240));
    EXPECT_EQ (juce::Point<int> (starts, ends), juce::Point<int> (1, 1));

    // A disabled knob neither moves nor touches the pointer.
    const auto value = knob.getValue();
    knob.setEnabled (false);
    juce::Desktop::setMousePosition ({ 650, 450 });
    press (juce::ModifierKeys::ctrlModifier);
    press();
    drag (100.0f);
    release (100.0f);
    EXPECT_EQ (knob.getValue(), value);
    EXPECT_EQ (juce::Desktop::getMousePosition(), juce::Point<int> (650, 450));
}

TEST (RotarySliderText, IsCleanedThenConvertedThroughTheParameter)
{
    const std::pair<const char*, const char*> cleaned[] = {
        { "+12,5 dB", "12.5" }, { "  ++3", "3" }, { "+ + 7 %", "7" }, { "-3.5dB", "-3.5" }, { "OFF", "" }
    };
    for (const auto& [typed, result] : cleaned)
        EXPECT_EQ (CvxRotarySlider::cleanTypedText (typed), result) << typed;

    const PluginParameter gain (3, "InputGain", 0.5f, ParameterDisplayKind::gainDecibels);
    CvxRotarySlider gainKnob (&gain), plainKnob (nullptr);

    EXPECT_EQ (gainKnob.getTextFromValue (1.0), "12.0dB");
    EXPECT_NEAR (gainKnob.getValueFromText ("+12,5 dB"), 12.5 / 24.0 + 0.5, 1.0e-6);
    EXPECT_EQ (plainKnob.getTextFromValue (0.12345), "0.12");
    EXPECT_DOUBLE_EQ (plainKnob.getValueFromText ("+12,5 dB"), 12.5);
    EXPECT_DOUBLE_EQ (plainKnob.getValueFromText ("dB"), 0.0);
}
