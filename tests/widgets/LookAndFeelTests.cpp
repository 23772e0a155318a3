#include "WidgetTestHelpers.h"

#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/CvxRotarySlider.h"
#include "widgets/Palette.h"

using namespace widgettests;

namespace
{
struct KnobDrawing
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::Slider slider;

    KnobDrawing() { slider.setColour (juce::Slider::backgroundColourId, juce::Colours::darkgrey); }

    juce::Image drawKnob (float position, int x = 0, int y = 0, int width = 100, int height = 100)
    {
        const auto params = slider.getRotaryParameters();
        return draw (100, 100, [&] (juce::Graphics& g)
        {
            lookAndFeel.drawRotarySlider (g, x, y, width, height, position,
                                          params.startAngleRadians, params.endAngleRadians, slider);
        });
    }

    /** A point of the value arc's ring (radius 45 of a 100-pixel knob), clockwise from the top. */
    juce::Colour arcPixel (const juce::Image& image, float fractionOfRange) const
    {
        const auto params = slider.getRotaryParameters();
        const auto angle = params.startAngleRadians
                         + fractionOfRange * (params.endAngleRadians - params.startAngleRadians);
        const auto p = juce::Point<float> (50.0f, 50.0f).getPointOnCircumference (45.0f, angle).toInt();
        return image.getPixelAt (p.x, p.y);
    }
};

/** The editor's widgets on one panel, for the renderings a person looks at. */
struct LookPanel : public juce::Component
{
    LookPanel()
    {
        knob.setValue (0.7);
        disabledKnob.setValue (0.3);
        disabledKnob.setEnabled (false);
        toggleOn.setToggleState (true, juce::dontSendNotification);
        label.setColour (juce::Label::textColourId, juce::Colours::black);

        for (juce::Slider* s : { &knob, &disabledKnob })
        {
            s->setRange (0.0, 1.0, 0.0001);
            s->setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
            s->setColour (juce::Slider::backgroundColourId, juce::Colours::darkgrey);
        }

        for (juce::Component* c : std::initializer_list<juce::Component*> { &knob, &disabledKnob, &toggleOn, &toggleOff,
                                                                            &button, &label, &corner })
            addAndMakeVisible (c);

        lookAndFeel.schemeColour = juce::Colours::darkgrey.brighter (0.3f);
        setLookAndFeel (&lookAndFeel);
    }

    ~LookPanel() override { setLookAndFeel (nullptr); }

    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::lightgrey); }

    void resized() override
    {
        knob.setBoundsRelative (0.02f, 0.05f, 0.3f, 0.45f);
        disabledKnob.setBoundsRelative (0.35f, 0.05f, 0.3f, 0.45f);
        toggleOn.setBoundsRelative (0.68f, 0.08f, 0.3f, 0.12f);
        toggleOff.setBoundsRelative (0.68f, 0.25f, 0.3f, 0.12f);
        button.setBoundsRelative (0.68f, 0.42f, 0.3f, 0.12f);
        label.setBoundsRelative (0.05f, 0.6f, 0.6f, 0.12f);
        corner.setBoundsRelative (0.9f, 0.85f, 0.1f, 0.15f);
    }

    CvxQ7LookAndFeelV1 lookAndFeel;
    CvxRotarySlider knob { nullptr }, disabledKnob { nullptr };
    juce::ToggleButton toggleOn { "SWAP L/R" }, toggleOff { "MONO" };
    juce::TextButton button { "SAVE" };
    juce::Label label { {}, "Classic Dark 42" };
    juce::ResizableCornerComponent corner { this, nullptr };
};
} // namespace

TEST (LookAndFeel, KnobShowsShadowAndPointerOnlyWhenEnabled)
{
    KnobDrawing knob;
    const juce::Point<int> pointerPixel (50, 30);   // position 0.5 points straight up
    const juce::Point<int> shadowPixel (55, 94);    // below the body, in the track's gap

    const auto enabled = knob.drawKnob (0.5f);
    EXPECT_TRUE (isNear (enabled.getPixelAt (pointerPixel.x, pointerPixel.y), juce::Colours::white, 8));
    EXPECT_GT (enabled.getPixelAt (shadowPixel.x, shadowPixel.y).getAlpha(), 60);

    knob.slider.setEnabled (false);
    const auto disabled = knob.drawKnob (0.5f);
    EXPECT_LT (disabled.getPixelAt (pointerPixel.x, pointerPixel.y).getBrightness(), 0.8f);
    EXPECT_EQ (disabled.getPixelAt (shadowPixel.x, shadowPixel.y).getAlpha(), 0);

    // Track, value arc and body remain on a disabled knob.
    EXPECT_TRUE (isNear (knob.arcPixel (disabled, 0.1f), paletteBlue));
    EXPECT_TRUE (isNear (knob.arcPixel (disabled, 0.9f), juce::Colours::black.overlaidWith (paletteBlue.withAlpha (0.05f))));
    EXPECT_EQ (disabled.getPixelAt (50, 50).getAlpha(), 255);
}

TEST (LookAndFeel, KnobValueArcFollowsThePosition)
{
    KnobDrawing knob;
    const auto isBlue = near (paletteBlue, 10);

    EXPECT_EQ (countPixels (knob.drawKnob (0.0f), isBlue), 0);

    const auto half = knob.drawKnob (0.5f);
    EXPECT_TRUE (isBlue (knob.arcPixel (half, 0.05f)));
    EXPECT_TRUE (isBlue (knob.arcPixel (half, 0.45f)));
    EXPECT_FALSE (isBlue (knob.arcPixel (half, 0.55f)));
    EXPECT_FALSE (isBlue (knob.arcPixel (half, 0.95f)));

    const auto full = knob.drawKnob (1.0f);
    EXPECT_TRUE (isBlue (knob.arcPixel (full, 0.05f)));
    EXPECT_TRUE (isBlue (knob.arcPixel (full, 0.95f)));
}

TEST (LookAndFeel, KnobIsASquareAnchoredAtItsOrigin)
{
    KnobDrawing knob;
    const auto tall = knob.drawKnob (0.5f, 10, 5, 60, 95);

    // A 60-pixel square from (10, 5) plus a shadow of a few pixels: nothing further down.
    EXPECT_GT (countPixels (tall, { 0, 0, 100, 65 }, [] (juce::Colour c) { return c.getAlpha() > 0; }), 1000);
    EXPECT_EQ (countPixels (tall, { 0, 80, 100, 20 }, [] (juce::Colour c) { return c.getAlpha() > 0; }), 0);
}

TEST (LookAndFeel, ButtonBackgroundCornersAndDegenerateSizes)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::TextButton button;
    const auto drawButton = [&] (bool down)
    {
        return draw (80, 30, [&] (juce::Graphics& g)
                     { lookAndFeel.drawButtonBackground (g, button, juce::Colours::lightblue, false, down); });
    };
    const auto isDrawn = [] (juce::Colour c) { return c.getAlpha() > 0; };

    for (auto size : { juce::Point<int> (80, 1), juce::Point<int> (1, 30) })
    {
        button.setSize (size.x, size.y);
        EXPECT_EQ (countPixels (drawButton (false), isDrawn), 0) << size.toString();
    }

    button.setSize (80, 30);
    button.setConnectedEdges (juce::Button::ConnectedOnLeft);
    const auto up = drawButton (false);
    EXPECT_TRUE (isDrawn (up.getPixelAt (0, 0)));
    EXPECT_TRUE (isDrawn (up.getPixelAt (0, 29)));
    EXPECT_FALSE (isDrawn (up.getPixelAt (79, 0)));
    EXPECT_FALSE (isDrawn (up.getPixelAt (79, 29)));

    const auto down = drawButton (true);
    EXPECT_LT (down.getPixelAt (40, 15).getBrightness(), up.getPixelAt (40, 15).getBrightness() - 0.1f);
}

TEST (LookAndFeel, ToggleButtonSphereColourAndText)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::ToggleButton toggle ("MONO");
    toggle.setSize (200, 40);

    const auto drawToggle = [&] (bool on)
    {
        toggle.setToggleState (on, juce::dontSendNotification);
        return draw (200, 40, [&] (juce::Graphics& g) { lookAndFeel.drawToggleButton (g, toggle, false, false); });
    };

    // The sphere's lower half, left-aligned: diameter 0.56 x 40 centred at (11.2, 20).
    const auto on = drawToggle (true).getPixelAt (11, 25);
    const auto off = drawToggle (false).getPixelAt (11, 25);
    EXPECT_GT ((int) on.getBlue(), (int) on.getRed() + 40);
    EXPECT_LT (std::abs ((int) off.getBlue() - (int) off.getRed()), 12);

    // The text starts at 0.8 x the height and is black.
    const auto image = drawToggle (false);
    const auto isText = [] (juce::Colour c) { return c.getAlpha() > 200 && c.getBrightness() < 0.1f; };
    EXPECT_GT (countPixels (image, { 32, 0, 168, 40 }, isText), 50);
    EXPECT_EQ (countPixels (image, { 24, 0, 7, 40 }, isText), 0);
}

TEST (LookAndFeel, LabelIsTextOnlyInTheEmbeddedFaceAtFullHeight)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::Label label ({}, "Wide 12");
    label.setBounds (0, 0, 200, 40);
    label.setColour (juce::Label::textColourId, juce::Colours::red);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::lime);
    label.setColour (juce::Label::outlineColourId, juce::Colours::blue);
    label.setJustificationType (juce::Justification::centredRight);

    EXPECT_EQ (lookAndFeel.getLabelFont (label).getTypefaceName(), "Roboto Condensed");
    EXPECT_FLOAT_EQ (lookAndFeel.getLabelFont (label).getHeight(), 36.0f);

    const auto drawn = draw (200, 40, [&] (juce::Graphics& g) { lookAndFeel.drawLabel (g, label); });
    const auto expected = draw (200, 40, [&] (juce::Graphics& g)
    {
        g.setColour (juce::Colours::red);
        g.setFont (lookAndFeel.getCustomFont (40.0f));
        g.drawFittedText ("Wide 12", 0, 0, 200, 40, juce::Justification::centredRight, 1);
    });

    EXPECT_EQ (countPixels (drawn, near (juce::Colours::lime, 60)), 0);
    EXPECT_EQ (countPixels (drawn, near (juce::Colours::blue, 60)), 0);
    EXPECT_GT (countPixels (drawn, near (juce::Colours::red)), 30);

    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ (drawn.getPixelAt (x, y).getARGB(), expected.getPixelAt (x, y).getARGB()) << x << ", " << y;

    label.showEditor();
    ASSERT_NE (label.getCurrentTextEditor(), nullptr);
    const auto whileEditing = draw (200, 40, [&] (juce::Graphics& g) { lookAndFeel.drawLabel (g, label); });
    EXPECT_GT (countPixels (whileEditing, near (juce::Colours::red)), 30);
}

TEST (LookAndFeel, FontsAndSliderTextBox)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::TextButton button;
    EXPECT_FLOAT_EQ (lookAndFeel.getTextButtonFont (button, 50).getHeight(), 40.0f);

    // The test screen is 1080 pixels high: 2.5 % of it is exactly the 27-pixel floor.
    ASSERT_EQ (CvxQ7LookAndFeelV1::getMainDisplayHeight(), 1080);
    EXPECT_FLOAT_EQ (lookAndFeel.getPopupMenuFont().getHeight(), 27.0f);

    juce::Slider slider;
    slider.setColour (juce::Slider::textBoxTextColourId, juce::Colours::red);
    slider.setColour (juce::Slider::textBoxBackgroundColourId, juce::Colours::white);
    slider.setColour (juce::Slider::textBoxOutlineColourId, juce::Colours::green);
    slider.setColour (juce::Slider::textBoxHighlightColourId, paletteBlue);

    std::unique_ptr<juce::Label> box (lookAndFeel.createSliderTextBox (slider));
    EXPECT_EQ (box->getJustificationType(), juce::Justification (juce::Justification::centred));
    EXPECT_FALSE (box->isEditableOnSingleClick());
    EXPECT_TRUE (box->isEditableOnDoubleClick());
    EXPECT_TRUE (box->doesLossOfFocusDiscardChanges());
    EXPECT_EQ (box->findColour (juce::Label::textColourId), juce::Colours::red);
    EXPECT_EQ (box->findColour (juce::TextEditor::textColourId), juce::Colours::red);
    EXPECT_EQ (box->findColour (juce::TextEditor::backgroundColourId), juce::Colours::white);
    EXPECT_EQ (box->findColour (juce::Label::outlineColourId), juce::Colours::green);
    EXPECT_EQ (box->findColour (juce::Label::outlineWhenEditingColourId), juce::Colours::green);
    EXPECT_EQ (box->findColour (juce::TextEditor::outlineColourId), juce::Colours::green);
    EXPECT_EQ (box->findColour (juce::TextEditor::highlightColourId), paletteBlue);
    EXPECT_FALSE (box->isColourSpecified (juce::Label::backgroundColourId));
}

TEST (LookAndFeel, CornerResizerColourFollowsMouseState)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    lookAndFeel.schemeColour = juce::Colours::darkgrey.brighter (0.3f);

    const auto corner = [&] (bool over, bool dragging)
    {
        return draw (40, 40, [&] (juce::Graphics& g) { lookAndFeel.drawCornerResizer (g, 40, 40, over, dragging); });
    };

    struct Case { bool over, dragging; juce::Colour colour; };
    for (const auto& c : { Case { true, true, juce::Colours::black },
                           Case { false, true, juce::Colours::black },
                           Case { true, false, paletteOrange },
                           Case { false, false, lookAndFeel.schemeColour.darker (0.4f) } })
    {
        const auto image = corner (c.over, c.dragging);
        EXPECT_TRUE (isNear (image.getPixelAt (30, 30), c.colour)) << c.over << c.dragging;   // towards bottom-right
        EXPECT_TRUE (isNear (image.getPixelAt (16, 16), c.colour)) << c.over << c.dragging;   // towards top-left
        EXPECT_EQ (image.getPixelAt (38, 2).getAlpha(), 0);
    }
}

TEST (LookAndFeel, LinearSliderThumbIsAWhiteBarWithBlackCentreLine)
{
    CvxQ7LookAndFeelV1 lookAndFeel;
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    const auto image = draw (50, 100, [&] (juce::Graphics& g)
    {
        lookAndFeel.drawLinearSliderThumb (g, 0, 0, 50, 100, 50.0f, 0.0f, 100.0f, juce::Slider::LinearVertical, slider);
    });

    EXPECT_TRUE (isNear (image.getPixelAt (25, 50), juce::Colours::black));
    EXPECT_TRUE (isNear (image.getPixelAt (25, 44), juce::Colours::white));
    EXPECT_TRUE (isNear (image.getPixelAt (25, 56), juce::Colours::white));
    EXPECT_EQ (image.getPixelAt (25, 35).getAlpha(), 0);
}

TEST (LookAndFeel, RendersTheWidgetPanel)
{
    LookPanel panel;
    saveAtTwoSizes (panel, "look-and-feel", { 0, 0, 300, 200 }, { 0, 0, 900, 600 });

    // The enabled knob draws its blue arc; the panel as a whole is opaque.
    const auto image = render (panel);
    EXPECT_GT (countPixels (image, panel.knob.getBounds(), near (paletteBlue, 10)), 100);
    EXPECT_EQ (countPixels (image, [] (juce::Colour c) { return c.getAlpha() < 255; }), 0);
}
