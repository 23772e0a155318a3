#include "WidgetTestHelpers.h"

#include "processor/PluginParameter.h"
#include "widgets/CvxRotarySlider.h"

using namespace widgettests;

namespace
{
struct GestureCounter : public juce::Slider::Listener
{
    void sliderValueChanged (juce::Slider*) override { ++valueChanges; }
    void sliderDragStarted (juce::Slider*) override { ++dragsStarted; }
    void sliderDragEnded (juce::Slider*) override { ++dragsEnded; }

    int valueChanges = 0, dragsStarted = 0, dragsEnded = 0;
};

/** A knob set up as the main panel sets one up, at (100, 200) of the screen. */
struct KnobFixture : public ::testing::Test
{
    KnobFixture()
    {
        knob.setRange (0.0, 1.0, 0.0001);
        knob.setValue (0.5, juce::dontSendNotification);
        knob.setDoubleClickReturnValue (true, 0.25);
        knob.setBounds (100, 200, 80, 80);
        knob.addListener (&counter);
    }

    ~KnobFixture() override { knob.removeListener (&counter); }

    juce::MouseEvent event (float x, float y, juce::ModifierKeys mods = {}, bool dragged = true)
    {
        return mouseEvent (knob, { x, y }, mods, pressPosition, dragged);
    }

    void press (juce::ModifierKeys mods = {})
    {
        knob.mouseDown (event (pressPosition.x, pressPosition.y, mods.withFlags (juce::ModifierKeys::leftButtonModifier), false));
    }

    void dragTo (float y, juce::ModifierKeys mods = {})
    {
        knob.mouseDrag (event (pressPosition.x, y, mods.withFlags (juce::ModifierKeys::leftButtonModifier)));
    }

    void release (float y)
    {
        knob.mouseUp (event (pressPosition.x, y));
    }

    CvxRotarySlider knob { nullptr };
    GestureCounter counter;
    const juce::Point<float> pressPosition { 40.0f, 40.0f };
    const juce::Point<int> pressOnScreen { 140, 240 };
};
} // namespace

TEST_F (KnobFixture, CtrlClickResetsWithOneGestureAndLeavesThePointer)
{
    const juce::Point<int> elsewhere (700, 500);
    juce::Desktop::setMousePosition (elsewhere);

    press (juce::ModifierKeys::ctrlModifier);
    release (pressPosition.y);

    EXPECT_DOUBLE_EQ (knob.getValue(), 0.25);
    EXPECT_EQ (counter.dragsStarted, 1);
    EXPECT_EQ (counter.dragsEnded, 1);
    EXPECT_EQ (counter.valueChanges, 1);
    EXPECT_EQ (juce::Desktop::getMousePosition(), elsewhere);
}

TEST_F (KnobFixture, DragUpRaisesOverThreeHundredFiftyPixelsAndPointerReturns)
{
    press();
    dragTo (pressPosition.y - 35.0f);
    EXPECT_NEAR (knob.getValue(), 0.6, 1.0e-4);

    dragTo (pressPosition.y + 350.0f);
    EXPECT_DOUBLE_EQ (knob.getValue(), 0.0);

    // The real pointer has wandered off; the release brings it back to where the press began.
    juce::Desktop::setMousePosition ({ 900, 900 });
    release (pressPosition.y + 350.0f);

    EXPECT_EQ (juce::Desktop::getMousePosition(), pressOnScreen);
    EXPECT_EQ (counter.dragsStarted, 1);
    EXPECT_EQ (counter.dragsEnded, 1);
}

TEST_F (KnobFixture, ShiftSwitchesToFineModeMidDrag)
{
    press();
    dragTo (pressPosition.y - 35.0f);
    ASSERT_NEAR (knob.getValue(), 0.6, 1.0e-4);
    EXPECT_FALSE (knob.getVelocityBasedMode());

    // The same 35 pixels with Shift move far less than the 0.1 of an ordinary drag, from 0.6 on.
    dragTo (pressPosition.y - 70.0f, juce::ModifierKeys::shiftModifier);
    EXPECT_TRUE (knob.getVelocityBasedMode());
    EXPECT_GT (knob.getValue(), 0.6);
    EXPECT_LT (knob.getValue(), 0.65);

    const auto fineValue = knob.getValue();
    for (int step = 1; step <= 10; ++step)
        dragTo (pressPosition.y - 70.0f - (float) step, juce::ModifierKeys::shiftModifier);

    EXPECT_GT (knob.getValue(), fineValue);
    EXPECT_LT (knob.getValue(), fineValue + 0.005);

    dragTo (pressPosition.y - 80.0f);
    EXPECT_FALSE (knob.getVelocityBasedMode());

    dragTo (pressPosition.y - 81.0f, juce::ModifierKeys::shiftModifier);
    release (pressPosition.y - 81.0f);
    EXPECT_FALSE (knob.getVelocityBasedMode());
}

TEST_F (KnobFixture, DisabledKnobIgnoresDragsAndLeavesThePointer)
{
    knob.setEnabled (false);
    const juce::Point<int> elsewhere (650, 450);
    juce::Desktop::setMousePosition (elsewhere);

    press();
    dragTo (pressPosition.y - 100.0f);
    press (juce::ModifierKeys::ctrlModifier);
    release (pressPosition.y - 100.0f);

    EXPECT_DOUBLE_EQ (knob.getValue(), 0.5);
    EXPECT_EQ (counter.dragsStarted + counter.dragsEnded + counter.valueChanges, 0);
    EXPECT_EQ (juce::Desktop::getMousePosition(), elsewhere);
}

TEST (RotarySliderText, TypedTextIsCleanedToABareNumber)
{
    EXPECT_EQ (CvxRotarySlider::cleanTypedText ("+12,5 dB"), "12.5");
    EXPECT_EQ (CvxRotarySlider::cleanTypedText ("  ++3"), "3");
    EXPECT_EQ (CvxRotarySlider::cleanTypedText ("+ + 7 %"), "7");
    EXPECT_EQ (CvxRotarySlider::cleanTypedText ("-3.5dB"), "-3.5");
    EXPECT_EQ (CvxRotarySlider::cleanTypedText ("150Hz"), "150");
    EXPECT_EQ (CvxRotarySlider::cleanTypedText ("OFF"), "");
}

TEST (RotarySliderText, ConvertsThroughTheParameterOrAsPlainNumbers)
{
    const PluginParameter gain (3, "InputGain", 0.5f, ParameterDisplayKind::gainDecibels);
    CvxRotarySlider gainKnob (&gain);

    EXPECT_EQ (gainKnob.getTextFromValue (1.0), "12.0dB");
    EXPECT_EQ (gainKnob.getTextFromValue (0.5), "0.0dB");
    EXPECT_NEAR (gainKnob.getValueFromText ("+12,5 dB"), 12.5 / 24.0 + 0.5, 1.0e-6);
    EXPECT_NEAR (gainKnob.getValueFromText ("-6dB"), 0.25, 1.0e-6);

    CvxRotarySlider plainKnob (nullptr);
    EXPECT_EQ (plainKnob.getTextFromValue (0.5), "0.50");
    EXPECT_EQ (plainKnob.getTextFromValue (0.12345), "0.12");
    EXPECT_DOUBLE_EQ (plainKnob.getValueFromText ("+12,5 dB"), 12.5);
    EXPECT_DOUBLE_EQ (plainKnob.getValueFromText ("dB"), 0.0);
}
