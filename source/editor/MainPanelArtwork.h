#pragma once

#include "PanelBackground.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class ProportionalLayout;

/**
    What the main panel paints behind its children: the textured background and the boxes behind the
    status line, the top bar with the partner's logo, "presents", the maker's logo and name, the framed
    boxes and captions of the controls, the channel name's frame and the outer frame; or, before the
    panel holds its content, a warning. Everything is in fractions of the panel's size.
*/
class MainPanelArtwork
{
public:
    /** The panel's state that decides what is painted. */
    struct State
    {
        float schemeBrightness = 0.3f;
        juce::Colour panelBoxColour;
        bool contentReady = false, resizing = false, bypassOn = false, muteAllOn = false, saveDialogOpen = false;
        bool expertModeOn = false, monoOn = false, safeBassOn = false, channelNameSet = false;
    };

    /** The layout and the font must outlive this. */
    MainPanelArtwork (const ProportionalLayout&, const juce::Font& regularFont);
    ~MainPanelArtwork();

    /** Takes a new panel height: the logo's scale follows it and the kept background is dropped. */
    void sizeChanged (float panelHeight);

    void paint (juce::Graphics&, int width, int height, const State&);

    /** Off: the background is drawn afresh on every paint, for comparing with the kept copy. */
    void setBackgroundCacheEnabled (bool shouldCache) noexcept { backgroundCacheEnabled = shouldCache; }

private:
    void paintContent (juce::Graphics&, float w, float h, const State&) const;
    void paintNotReadyWarning (juce::Graphics&, float w, float h) const;
    static void drawPanelBox (juce::Graphics&, float w, float h, float x, float y, float bw, float bh, juce::Colour, bool gradient);

    const ProportionalLayout& layout;
    const juce::Font& regularFont;
    std::unique_ptr<juce::Drawable> partnerLogo, makerLogo;
    PanelBackground background;
    bool backgroundCacheEnabled = true;
    float displayHeight = 1080.0f, logoScaleRatio = 1.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainPanelArtwork)
};
