#include "EditorFixture.h"
#include "EditorImages.h"

#include "editor/PanelBackground.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/InfoComponent.h"
#include "widgets/Palette.h"

using namespace editortests;

TEST_F (EditorFixture, TheKeptBackgroundIsPixelForPixelTheDrawnOne)
{
    for (auto brightness : { 0.0f, 0.3f })
    {
        panel().setColourScheme (brightness);

        for (auto height : { 540, 864, 301 })
        {
            editor->setSize (WydenzaAudioProcessorEditor::widthForHeight (height), height);
            panel().setBackgroundCacheEnabled (false);
            const auto drawn = paintEditor (*editor);
            panel().setBackgroundCacheEnabled (true);
            const auto first = paintEditor (*editor);
            const auto second = paintEditor (*editor); // from the kept image

            EXPECT_EQ (countDifferences (drawn, first), 0) << height << " " << brightness;
            EXPECT_EQ (countDifferences (drawn, second), 0) << height << " " << brightness;
        }
    }
}

TEST (PanelBackgroundTest, TheTextureIsFixedBySizeAndTheBaseFollowsTheScheme)
{
    const auto draw = [] (int w, int h, float brightness)
    {
        juce::Image image (juce::Image::ARGB, w, h, true);
        juce::Graphics g (image);
        PanelBackground::drawUncached (g, w, h, brightness);
        return image;
    };

    const auto a = draw (300, 200, 0.3f);
    EXPECT_EQ (countDifferences (a, draw (300, 200, 0.3f)), 0);

    // Another size cuts the same sequence differently.
    const auto wider = draw (450, 200, 0.3f);
    EXPECT_GT (countDifferences (a, wider.getClippedImage ({ 0, 0, 300, 200 })), 0);

    // Strokes vary the base by at most 3 % and the gradient by 5 %: every pixel stays near the scheme's base.
    for (auto brightness : { 0.0f, 0.3f })
    {
        const auto image = draw (300, 200, brightness);
        const auto base = paletteDarkGrey.brighter (brightness);
        const auto centre = image.getPixelAt (150, 100);
        EXPECT_LE (std::abs (centre.getRed() - base.getRed()), 6) << brightness;
        EXPECT_NE (countDifferences (image, draw (300, 200, brightness == 0.0f ? 0.3f : 0.0f)), 0);
    }
}

TEST_F (EditorFixture, ScreenshotsOfEveryLookAtTwoSizes)
{
    const struct
    {
        const char* name;
        std::function<void (EditorFixture&)> setUp;
    } looks[] = {
        { "easy-bright", [] (EditorFixture&) {} },
        { "expert-bright", [] (EditorFixture& f)
          { f.click (f.find ("EXPERT MODE")); } },
        { "expert-dark", [] (EditorFixture& f)
          { f.click (f.find ("EXPERT MODE")); f.panel().setColourScheme (0.0f); } },
        { "easy-dark", [] (EditorFixture& f)
          { f.panel().setColourScheme (0.0f); } },
        { "bypassed", [] (EditorFixture& f)
          { f.click (f.find ("BYPASS")); } },
        { "muted", [] (EditorFixture& f)
          { f.click (f.find ("MUTE ALL")); } },
        { "resizing", [] (EditorFixture& f)
          { f.panel().resizeStarted(); } },
        { "save-dialog", [] (EditorFixture& f)
          { f.panel().openSaveDialog(); } },
        { "info-screen", [] (EditorFixture& f)
          { f.panel().showInfoScreen(); } },
    };

    for (const auto& look : looks)
    {
        panel().setColourScheme (0.3f);
        look.setUp (*this);
        processor.setParameter (0, 0.0f);

        for (auto height : { 540, 864 })
        {
            editor->setSize (WydenzaAudioProcessorEditor::widthForHeight (height), height);
            panel().getInputMeter().setLevels (0.5f, 0.25f);
            panel().getOutputMeter().setLevels (1.2f, 0.7f);
            const auto image = paintEditor (*editor);
            savePng (image, juce::String ("editor-") + look.name + "-" + juce::String (editor->getWidth()) + "x" + juce::String (height));

            // The orange top bar and the black outer frame are always there, unless the info screen covers them.
            const auto infoShown = juce::String (look.name) == "info-screen";
            const auto top = infoShown ? juce::Colours::lightgrey : paletteOrange;
            const auto frame = infoShown ? paletteBlue : juce::Colours::black;
            EXPECT_EQ (image.getPixelAt (editor->getWidth() * 3 / 10, height / 20).getARGB(), top.getARGB()) << look.name;
            EXPECT_EQ (image.getPixelAt (editor->getWidth() / 2, height - 2).getARGB(), frame.getARGB()) << look.name;
        }

        if (juce::String (look.name) == "resizing")
            panel().resizeFinished();

        if (panel().isSaveDialogOpen())
            panel().presetSaveCancelled();

        panel().getInfoScreen().setVisible (false);

        for (const auto* name : { "BYPASS", "MUTE ALL", "EASY MODE" })
            if (auto* b = findChild<juce::Button> (*editor, name); b != nullptr && b->getToggleState() != (juce::String (name) == "EASY MODE"))
                click (*b);
    }
}

TEST_F (EditorFixture, AnyHostFrameShowsThePanelFittedAndCentredOnItsBaseColour)
{
    const std::tuple<int, int, int, int> framesAndPanels[] = { { 1300, 800, 1200, 800 }, { 810, 800, 810, 540 }, { 600, 900, 600, 400 }, { 2000, 500, 750, 500 }, { 1300, 700, 1050, 700 }, { 810, 540, 810, 540 }, { 200, 150, 200, 133 }, { 1, 1, 1, 1 }, { 0, 0, 0, 0 } };

    for (const auto& [w, h, panelW, panelH] : framesAndPanels)
    {
        panel().setColourScheme (panel().getSchemeBrightness() > 0.0f ? 0.0f : 0.3f);
        editor->setSize (w, h);
        EXPECT_EQ (panel().getBounds(), juce::Rectangle<int> ((w - panelW) / 2, (h - panelH) / 2, panelW, panelH)) << w << "x" << h;
        EXPECT_EQ (processor.lastEditorHeight, panelH < 100 ? 133 : panelH) << w << "x" << h; // a collapsed frame keeps the last usable one

        if (w == 0)
            continue;

        // With the panel's own area painted over in the base colour, nothing differs from a plain image of it.
        auto painted = paintEditor (*editor);
        if (w == 1300 || w == 810 || w == 600)
            savePng (painted, "editor-in-host-frame-" + juce::String (w) + "x" + juce::String (h));
        painted.clear (panel().getBounds(), PanelBackground::baseColour (panel().getSchemeBrightness()));
        juce::Image plain (juce::Image::ARGB, w, h, false);
        plain.clear (plain.getBounds(), PanelBackground::baseColour (panel().getSchemeBrightness()));
        EXPECT_EQ (countDifferences (painted, plain), 0) << w << "x" << h;
    }
}
