#include "EditorFixture.h"

#include "editor/ManagePresetsComponent.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/FittedText.h"
#include "widgets/InfoComponent.h"

using namespace editortests;

namespace
{
/** A text as the user sees it, in the editor's coordinates. */
struct Placed
{
    juce::String owner, text;
    juce::Rectangle<float> box, glyphs, ink, visibleArea;
    float fontHeight, horizontalScale;
    bool complete, fromTextEditor;
};

/** What a component shows of itself: its bounds cut by every parent's. */
juce::Rectangle<float> visibleAreaOf (const juce::Component& c, const juce::Component& top)
{
    auto area = top.getLocalArea (&c, c.getLocalBounds()).toFloat();

    for (auto* p = c.getParentComponent(); p != nullptr && p != &top; p = p->getParentComponent())
        area = area.getIntersection (top.getLocalArea (p, p->getLocalBounds()).toFloat());

    return area;
}

/** The component's name, or its nearest named parent's with what it is. */
juce::String nameOf (const juce::Component& c)
{
    if (c.getName().isNotEmpty() || c.getParentComponent() == nullptr)
        return c.getName();

    return nameOf (*c.getParentComponent()) + (dynamic_cast<const juce::Label*> (&c) != nullptr ? " / label" : " / child");
}

bool isInside (const juce::Component& c, const juce::Component& overlay)
{
    return &c == &overlay || overlay.isParentOf (&c);
}

/** Paints the editor and returns every text it drew that is not under an open overlay, with the lines
    the text fields lay out themselves. */
std::vector<Placed> textsAsDrawn (WydenzaAudioProcessorEditor& editor, MainEditorComponent& panel)
{
    std::vector<FittedText::Drawn> log;
    juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());
    {
        juce::Graphics g (image);
        FittedText::setLog (&log);
        editor.paintEntireComponent (g, false);
        FittedText::setLog (nullptr);
    }

    std::vector<std::pair<const juce::Component*, Placed>> all;
    const auto toEditor = [&editor] (const juce::Component& c, juce::Rectangle<float> r)
    { return editor.getLocalArea (&c, r); };

    for (const auto& d : log)
        all.push_back ({ d.component, { nameOf (*d.component), d.text, toEditor (*d.component, d.box), toEditor (*d.component, d.glyphs), toEditor (*d.component, d.ink), visibleAreaOf (*d.component, editor), d.fontHeight, d.horizontalScale, d.complete, false } });

    std::function<void (juce::Component&)> addFields = [&] (juce::Component& c)
    {
        if (auto* field = dynamic_cast<juce::TextEditor*> (&c); field != nullptr && field->isShowing())
            for (const auto& r : field->getTextBounds ({ 0, field->getTotalNumChars() }))
                if (! r.isEmpty())
                    all.push_back ({ field, { nameOf (*field->getParentComponent()) + " / text field", field->getText(), toEditor (*field, field->getLocalBounds().toFloat()), toEditor (*field, r.toFloat()), toEditor (*field, r.toFloat()), visibleAreaOf (*field, editor), (float) r.getHeight(), 1.0f, true, true } });

        for (auto* child : c.getChildren())
            addFields (*child);
    };
    addFields (editor);

    std::vector<Placed> shown;

    for (const auto& [component, placed] : all)
    {
        const auto& info = panel.getInfoScreen();
        const auto& dialog = panel.getSaveDialog();
        const auto underInfo = info.isVisible() && ! isInside (*component, info);
        const auto underDialog = dialog.isVisible() && ! isInside (*component, dialog) && visibleAreaOf (dialog, editor).intersects (placed.ink);

        if (! underInfo && ! underDialog)
            shown.push_back (placed);
    }

    return shown;
}

/** A gap that reads as one: a tenth of the smaller font, at least a pixel. */
float visibleGap (float fontHeight, float otherFontHeight)
{
    return juce::jmax (1.0f, 0.1f * juce::jmin (fontHeight, otherFontHeight));
}

void expectEveryTextFits (const std::vector<Placed>& texts, juce::Rectangle<float> editorArea, const juce::String& where)
{
    constexpr auto slack = 0.01f;

    for (const auto& t : texts)
    {
        const auto what = where + ": \"" + t.text + "\" of " + t.owner + " (font " + juce::String (t.fontHeight, 1) + ", scale " + juce::String (t.horizontalScale, 2) + ", glyphs " + t.glyphs.toString() + ", box " + t.box.toString() + ")";
        EXPECT_TRUE (t.complete) << what;
        EXPECT_TRUE (t.glyphs.getX() >= t.box.getX() - slack && t.glyphs.getRight() <= t.box.getRight() + slack) << what << " is wider than its box";
        EXPECT_TRUE (t.visibleArea.expanded (slack).contains (t.glyphs)) << what << " leaves its component";
        EXPECT_TRUE (editorArea.reduced (visibleGap (t.fontHeight, t.fontHeight)).contains (t.ink)) << what << " reaches the editor's edge";
    }

    for (size_t i = 0; i < texts.size(); ++i)
    {
        for (auto j = i + 1; j < texts.size(); ++j)
        {
            const auto& a = texts[i];
            const auto& b = texts[j];

            // A text field spaces its own lines.
            if (a.fromTextEditor && b.fromTextEditor && a.owner == b.owner)
                continue;

            const auto gap = visibleGap (a.fontHeight, b.fontHeight);
            EXPECT_FALSE (a.ink.expanded (0.5f * gap).intersects (b.ink.expanded (0.5f * gap))) << where << ": \"" << a.text << "\" of " << a.owner << " touches \"" << b.text << "\" of " << b.owner;
        }
    }
}
} // namespace

TEST_F (EditorFixture, NoTextIsCutLeavesItsComponentOrTouchesAnotherAtAnySizeAndLook)
{
    // The longest values each control shows.
    hostSets ("Pan", 1.0f);
    hostSets ("InputGain", 0.0f);
    hostSets ("OutputGain", 0.0f);
    hostSets ("SafeBass", 1.0f);
    hostSets ("SafeBassFreq", 1.0f);
    tick();
    EXPECT_EQ (find<juce::Label> ("Pan").getText(), "R100");
    const juce::String longName ("WMWMWMWMWMWMWMWMWMWMWMWMWMWMWMWMWMWMWMW");
    ASSERT_EQ (longName.length(), 39);
    panel().setChannelName (longName);
    ASSERT_FALSE (processor.renamePresetFromEditor (longName).isEmpty());
    panel().updatePresetName();

    const struct
    {
        const char* name;
        float scheme;
        bool expert;
        const char* switchedOn;
        void (MainEditorComponent::*overlay)();
    } looks[] = {
        { "easy bright", 0.3f, false, nullptr, nullptr },
        { "expert bright", 0.3f, true, nullptr, nullptr },
        { "easy dark", 0.0f, false, nullptr, nullptr },
        { "expert dark", 0.0f, true, nullptr, nullptr },
        { "bypassed", 0.3f, true, "Bypass", nullptr },
        { "muted", 0.0f, true, "MuteAll", nullptr },
        { "save dialog", 0.3f, true, nullptr, &MainEditorComponent::openSaveDialog },
        { "info screen", 0.0f, false, nullptr, &MainEditorComponent::showInfoScreen },
    };

    for (const auto& look : looks)
    {
        panel().setColourScheme (look.scheme);
        panel().setExpertMode (look.expert);

        if (look.switchedOn != nullptr)
            hostSets (look.switchedOn, 1.0f);

        tick();

        if (look.overlay != nullptr)
            (panel().*look.overlay)();

        for (auto height : { 400, 540, 864 })
        {
            editor->setSize (WydenzaAudioProcessorEditor::widthForHeight (height), height);

            for (const auto& [inLeft, inRight, outLeft, outRight] : { std::array<float, 4> { 0.0f, 0.0f, 0.0f, 0.0f }, std::array<float, 4> { 0.25f, 0.18f, 1.2f, 0.7f } })
            {
                panel().getInputMeter().setLevels (inLeft, inRight);
                panel().getOutputMeter().setLevels (outLeft, outRight);
                const auto texts = textsAsDrawn (*editor, panel());
                const auto where = juce::String (look.name) + " at " + juce::String (editor->getWidth()) + "x" + juce::String (height) + ", meters " + panel().getInputMeter().getLeftLabel().getText() + " " + panel().getInputMeter().getRightLabel().getText();
                EXPECT_GT (texts.size(), 3u) << where;
                expectEveryTextFits (texts, editor->getLocalBounds().toFloat(), where);
            }
        }

        if (look.switchedOn != nullptr)
            hostSets (look.switchedOn, 0.0f);

        tick();

        if (panel().isSaveDialogOpen())
            panel().presetSaveCancelled();

        panel().getInfoScreen().setVisible (false);
    }
}
