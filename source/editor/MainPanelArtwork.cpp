#include "MainPanelArtwork.h"

#include "BinaryData.h"
#include "ProportionalLayout.h"
#include "widgets/FittedText.h"
#include "widgets/Palette.h"

MainPanelArtwork::MainPanelArtwork (const ProportionalLayout& layoutToUse, const juce::Font& regularFontToUse)
    : layout (layoutToUse),
      regularFont (regularFontToUse)
{
    partnerLogo = juce::Drawable::createFromImageData (BinaryData::LOGO_Partner_ACTUAL_svg, (size_t) BinaryData::LOGO_Partner_ACTUAL_svgSize);
    makerLogo = juce::Drawable::createFromImageData (BinaryData::LOGO_ZELVORA_ONLY_Q7_01_svg, (size_t) BinaryData::LOGO_ZELVORA_ONLY_Q7_01_svgSize);
}

MainPanelArtwork::~MainPanelArtwork() = default;

void MainPanelArtwork::sizeChanged (float panelHeight)
{
    displayHeight = layout.getReferenceHeight();
    logoScaleRatio = displayHeight > 0.0f ? panelHeight / displayHeight * 2.0f : 1.0f;

    // The kept background belongs to the old size.
    background.clear();
}

void MainPanelArtwork::drawPanelBox (juce::Graphics& g, float w, float h, float x, float y, float bw, float bh, juce::Colour colour, bool gradient)
{
    const juce::Rectangle<float> area (x * w, y * h, bw * w, bh * h);

    if (! g.clipRegionIntersects (area.getSmallestIntegerContainer()))
        return;

    if (gradient)
        g.setGradientFill (juce::ColourGradient::vertical (colour, area.getY(), colour.withAlpha (0.0f), area.getBottom()));
    else
        g.setColour (colour);

    g.fillRoundedRectangle (area, 0.01f * h);
}

void MainPanelArtwork::paint (juce::Graphics& g, const juce::Component& panel, const State& state)
{
    const auto width = panel.getWidth();
    const auto height = panel.getHeight();
    const auto w = (float) width;
    const auto h = (float) height;

    // The meters repaint every tick: parts outside the area being painted are skipped, which changes no pixel.
    const auto inClip = [&g] (juce::Rectangle<float> area)
    { return g.clipRegionIntersects (area.getSmallestIntegerContainer()); };

    g.setFont (regularFont);

    if (! state.resizing)
    {
        if (backgroundCacheEnabled)
            background.draw (g, width, height, state.schemeBrightness);
        else
            PanelBackground::drawUncached (g, width, height, state.schemeBrightness);

        drawPanelBox (g, w, h, 0.01f, 0.923f, 0.758f, 0.061f, state.panelBoxColour, true);
        drawPanelBox (g, w, h, 0.773f, 0.923f, 0.171f, 0.061f, state.panelBoxColour, true);
        drawPanelBox (g, w, h, 0.949f, 0.923f, 0.0406667f, 0.061f, state.panelBoxColour, true);
    }

    g.setColour (paletteOrange);
    g.fillRect (juce::Rectangle<float> (0.0f, 0.0f, w, 0.08f * h));

    g.setColour (juce::Colours::black);

    if (partnerLogo != nullptr && inClip ({ 0.0f, 0.0f, 0.5f * w, 0.08f * h }))
        partnerLogo->draw (g, 1.0f, juce::AffineTransform::scale (0.00026f * displayHeight * logoScaleRatio).translated (0.01f * w, 0.019f * h));

    const juce::Rectangle<float> presentsArea (0.48f * h, 0.013f * h, 0.3f * h, 0.04f * h);

    if (inClip (presentsArea))
    {
        g.setFont (regularFont.withHeight (0.04f * h));
        FittedText::drawWithin (g, panel, "presents", presentsArea, juce::Justification::topLeft);
    }

    const juce::Rectangle<float> makerLogoArea (0.761f * w, 0.928f * h, 0.08f * w, 0.05f * h);

    if (makerLogo != nullptr && inClip (makerLogoArea))
        makerLogo->drawWithin (g, makerLogoArea, juce::RectanglePlacement::centred, 1.0f);

    const juce::Rectangle<float> makerNameArea (0.823f * w, 0.923f * h, 0.12f * w, 0.061f * h);

    if (inClip (makerNameArea))
    {
        g.setColour (juce::Colours::black);
        g.setFont (regularFont.withHeight (0.061f * h));
        FittedText::drawWithin (g, panel, "ZELVORA", makerNameArea, juce::Justification::centred);
    }

    g.setFont (regularFont);

    if (! state.contentReady)
        paintNotReadyWarning (g, panel, w, h);
    else if (! state.resizing)
        paintContent (g, panel, w, h, state);

    // The frame reaches 0.01 H into the panel: repaints inside it (the meters) need not stroke it.
    if (! juce::Rectangle<int> (width, height).reduced (juce::roundToInt (0.02f * h) + 1).contains (g.getClipBounds()))
    {
        g.setColour (juce::Colours::black);
        g.drawRoundedRectangle (0.0f, 0.0f, w, h, 0.02f * h, 0.02f * h);
    }
}

void MainPanelArtwork::paintContent (juce::Graphics& g, const juce::Component& panel, float w, float h, const State& state) const
{
    const auto inClip = [&g] (juce::Rectangle<float> area)
    { return g.clipRegionIntersects (area.getSmallestIntegerContainer()); };
    const auto caption = [&] (const char* text, float x, float y, float cw, float ch, juce::Colour colour, bool inFramedBox)
    {
        if (inClip (layout.areaFor (x, y, cw, ch)))
            layout.drawCaption (g, panel, text, x, y, cw, ch, juce::Justification::centred, colour, inFramedBox);
    };
    const auto framedBox = [&] (float x, float y, float bw, float bh)
    {
        // The outline reaches half its thickness beyond the box.
        if (inClip (layout.areaFor (x, y, bw, bh).expanded (0.01f * h)))
            layout.drawFramedBox (g, x, y, bw, bh);
    };

    if (! state.bypassOn && ! state.muteAllOn && ! state.saveDialogOpen)
    {
        drawPanelBox (g, w, h, 0.3f, 0.095f, 0.4f, 0.05f, juce::Colours::black, false);

        const auto centredText = [&] (const char* text, float width, float top, juce::Colour colour)
        {
            const juce::Rectangle<float> area ((w - width * h) * 0.5f, top * h, width * h, 0.025f * h);

            if (inClip (area.withSizeKeepingCentre (area.getWidth(), 0.05f * h)))
            {
                // A caption wider than its area is made smaller rather than squeezed.
                auto font = regularFont.withHeight (0.05f * h);
                if (const auto textWidth = font.getStringWidthFloat (text); textWidth > area.getWidth())
                    font = font.withHeight (font.getHeight() * area.getWidth() / textWidth);

                g.setColour (colour);
                g.setFont (font);
                FittedText::drawWithin (g, panel, text, area, juce::Justification::centred);
            }
        };

        // The expert mode's choice boxes, two columns of two, flank the knobs: the STEREO WIDTH caption
        // must then stay in the gap between them.
        constexpr float choiceLeftX = 0.3f, choiceRightX = 0.568f, choiceWidth = 0.099f, choiceHeight = 0.075f;
        const auto widthCaptionWidth = state.expertModeOn ? (layout.areaFor (choiceRightX, 0.0f, 0.0f, 0.0f).getX() - layout.areaFor (choiceLeftX, 0.0f, choiceWidth, 0.0f).getRight()) / h - 0.02f : 0.45f;
        centredText ("PAN", 0.09f, 0.579f, juce::Colours::black);
        centredText ("STEREO WIDTH", widthCaptionWidth, 0.724f, juce::Colours::black.withAlpha (state.monoOn ? 0.2f : 1.0f));
        g.setFont (regularFont);
        caption ("FREQUENCY", 0.71f, 0.31f, 0.105f, 0.025f, juce::Colours::black.withAlpha (state.safeBassOn ? 1.0f : 0.2f), true);
        caption ("PRESET:", 0.23f, 0.101f, 0.04f, 0.0195f, juce::Colours::black, false);

        framedBox (0.71f, 0.16f, 0.105f, 0.2f);
        framedBox (0.15f, 0.16f, 0.105f, 0.2f);
        framedBox (0.71f, 0.585f, 0.105f, 0.145f);
        framedBox (0.15f, 0.585f, 0.105f, 0.145f);
        framedBox (0.15f, 0.09f, 0.525f, 0.03f);

        if (state.expertModeOn)
        {
            for (const auto x : { choiceLeftX, choiceRightX })
                for (const auto y : { 0.585f, 0.76f })
                    framedBox (x, y, choiceWidth, choiceHeight);
        }
    }

    framedBox (0.02f, 0.1f, 0.09f, 0.105f);
    framedBox (0.86f, 0.1f, 0.09f, 0.105f);
    caption ("INPUT", 0.02f, 0.1f, 0.09f, 0.025f, juce::Colours::black, true);
    caption ("OUTPUT", 0.86f, 0.1f, 0.09f, 0.025f, juce::Colours::black, true);

    const juce::Rectangle<float> channelFrame (0.7281667f * w, 0.015f * h, 0.22f * w, 0.06f * h);

    if (inClip (channelFrame.expanded (0.005f * h)))
    {
        g.setColour (state.channelNameSet ? juce::Colours::black : paletteOrange.darker (0.2f));
        g.drawRoundedRectangle (channelFrame, 0.01f * h, 0.005f * h);
    }
}

void MainPanelArtwork::paintNotReadyWarning (juce::Graphics& g, const juce::Component& panel, float w, float h) const
{
    const juce::Rectangle<float> area (0.25f * w, 0.25f * h, 0.5f * w, 0.5f * h);

    g.setColour (paletteDarkGrey.brighter (0.4f));
    g.fillRoundedRectangle (area, 0.02f * h);
    g.setColour (paletteOrange);
    g.drawRoundedRectangle (area, 0.02f * h, 0.02f * h);
    g.setColour (juce::Colours::black);
    FittedText::draw (g, panel, "THIS PLUGIN WORKS ONLY\nON STEREO TRACKS !!!", area.toNearestInt().toFloat(), juce::Justification::centred, 2, 0.1f);
}
