#include "WidgetTestHelpers.h"

#include "BinaryData.h"

using namespace widgettests;

// Every embedded icon and logo parses, draws only black and still shows at 20 pixels high.
TEST (EmbeddedArtwork, DrawsInBlackAtSmallAndLargeSizes)
{
    const char* names[] = { "DropDownArrow_svg", "UndoCurvedArrow_svg", "RedoCurvedArrow_svg", "PlayButton_svg", "PlayButtonRotated180_svg", "LOGO_ZELVORA_01_svg", "LOGO_ZELVORA_ONLY_Q7_01_svg", "LOGO_Partner_ACTUAL_svg" };
    auto sheet = draw (560, 800, [] (juce::Graphics& g)
                       { g.fillAll (juce::Colours::white); });
    juce::Graphics sheetGraphics (sheet);

    for (int row = 0; row < 8; ++row)
    {
        int size = 0;
        const auto* data = BinaryData::getNamedResource (names[row], size);
        const auto drawable = juce::Drawable::createFromImageData (data, (size_t) size);
        ASSERT_NE (drawable, nullptr) << names[row];

        for (auto height : { 20, 80 })
        {
            const auto area = juce::Rectangle<float> (5.0f * (float) height, (float) height);
            const auto image = draw (5 * height, height, [&] (juce::Graphics& g)
                                     { drawable->drawWithin (g, area, {}, 1.0f); });
            EXPECT_GT (countPixels (image, [] (juce::Colour c)
                                    { return c.getAlpha() > 200; }),
                       height * height / 20)
                << names[row];
            EXPECT_EQ (countPixels (image, [] (juce::Colour c)
                                    { return c.getAlpha() > 0 && c.getBrightness() > 0.01f; }),
                       0)
                << names[row];
            drawable->drawWithin (sheetGraphics, area.withPosition (height == 20 ? 10.0f : 140.0f, (float) (row * 100 + 10)), juce::RectanglePlacement::xLeft, 1.0f);
        }
    }

    savePng (sheet, "embedded-artwork");
}
