#include "EditorFixture.h"

#include "editor/ManagePresetsComponent.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/FittedText.h"
#include "widgets/InfoComponent.h"

using namespace editortests;
using Drawn = FittedText::Drawn;

namespace
{
/** What the user can see of a component: its bounds cut by every parent's, in the editor's coordinates. */
juce::Rectangle<float> visibleArea (const juce::Component& c, const juce::Component& editor)
{
    auto area = editor.getLocalArea (&c, c.getLocalBounds()).toFloat();

    for (auto* p = c.getParentComponent(); p != nullptr && p != &editor; p = p->getParentComponent())
        area = area.getIntersection (editor.getLocalArea (p, p->getLocalBounds()).toFloat());

    return area;
}

/** Paints the editor; every text it drew and every line its text fields laid out, in the editor's
    coordinates, except those under an open overlay. */
std::vector<Drawn> textsAsDrawn (juce::Component& editor, std::initializer_list<const juce::Component*> overlays)
{
    std::vector<Drawn> drawn, shown;
    juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true, juce::SoftwareImageType());
    juce::Graphics g (image);
    FittedText::setLog (&drawn);
    editor.paintEntireComponent (g, false);
    FittedText::setLog (nullptr);

    std::function<void (juce::Component&)> addFieldLines = [&] (juce::Component& c)
    {
        if (auto* field = dynamic_cast<juce::TextEditor*> (&c); field != nullptr && field->isShowing())
            for (auto r : field->getTextBounds ({ 0, field->getTotalNumChars() }))
                if (! r.isEmpty())
                    drawn.push_back ({ field, field->getText(), field->getLocalBounds().toFloat(), r.toFloat(), r.toFloat(), (float) r.getHeight(), 1.0f, true });

        for (auto* child : c.getChildren())
            addFieldLines (*child);
    };
    addFieldLines (editor);

    for (auto d : drawn)
    {
        d.box = editor.getLocalArea (d.component, d.box);
        d.glyphs = editor.getLocalArea (d.component, d.glyphs);
        d.ink = editor.getLocalArea (d.component, d.ink);
        const auto underOverlay = [&] (const juce::Component* o)
        { return o->isVisible() && o != d.component && ! o->isParentOf (d.component) && visibleArea (*o, editor).intersects (d.ink); };

        if (std::none_of (overlays.begin(), overlays.end(), underOverlay))
            shown.push_back (d);
    }

    return shown;
}

/** A gap that reads as one: a tenth of the smaller font, at least a pixel. */
float visibleGap (const Drawn& a, const Drawn& b)
{
    return juce::jmax (1.0f, 0.1f * juce::jmin (a.fontHeight, b.fontHeight));
}

void expectEveryTextFits (const std::vector<Drawn>& texts, const juce::Component& editor, const juce::String& where)
{
    const auto describe = [] (const Drawn& t)
    {
        const auto* named = t.component->getName().isNotEmpty() ? t.component : t.component->getParentComponent();
        return "\"" + t.text + "\" of " + named->getName() + " (font " + juce::String (t.fontHeight, 1) + ", scale " + juce::String (t.horizontalScale, 2) + ", glyphs " + t.glyphs.toString() + ", box " + t.box.toString() + ")";
    };

    for (const auto& t : texts)
    {
        EXPECT_TRUE (t.complete) << where << ": " << describe (t) << " is cut";
        EXPECT_TRUE (t.glyphs.getX() >= t.box.getX() - 0.01f && t.glyphs.getRight() <= t.box.getRight() + 0.01f) << where << ": " << describe (t) << " is wider than its box";
        EXPECT_TRUE (visibleArea (*t.component, editor).expanded (0.01f).contains (t.glyphs)) << where << ": " << describe (t) << " leaves its component";
        EXPECT_TRUE (editor.getLocalBounds().toFloat().reduced (visibleGap (t, t)).contains (t.ink)) << where << ": " << describe (t) << " reaches the editor's edge";
    }

    for (auto a = texts.begin(); a != texts.end(); ++a)
        for (auto b = a + 1; b != texts.end(); ++b)
            if (a->component != b->component || dynamic_cast<const juce::TextEditor*> (a->component) == nullptr) // a field spaces its own lines
                EXPECT_FALSE (a->ink.expanded (0.5f * visibleGap (*a, *b)).intersects (b->ink.expanded (0.5f * visibleGap (*a, *b)))) << where << ": " << describe (*a) << " touches " << describe (*b);
}
} // namespace

TEST_F (EditorFixture, NoTextIsCutLeavesItsComponentOrTouchesAnotherAtAnySizeAndLook)
{
    // The longest values each control shows.
    for (const auto* name : { "InputGain", "OutputGain" })
        hostSets (name, 0.0f);

    for (const auto* name : { "Pan", "SafeBass", "SafeBassFreq" })
        hostSets (name, 1.0f);

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
        { "easy bright", 0.3f, false, "", nullptr },
        { "expert bright", 0.3f, true, "", nullptr },
        { "easy dark", 0.0f, false, "", nullptr },
        { "expert dark", 0.0f, true, "", nullptr },
        { "bypassed", 0.3f, true, "Bypass", nullptr },
        { "muted", 0.0f, true, "MuteAll", nullptr },
        { "save dialog", 0.3f, true, "", &MainEditorComponent::openSaveDialog },
        { "info screen", 0.0f, false, "", &MainEditorComponent::showInfoScreen },
    };

    for (const auto& look : looks)
    {
        panel().setColourScheme (look.scheme);
        panel().setExpertMode (look.expert);
        hostSets ("Bypass", juce::String ("Bypass") == look.switchedOn ? 1.0f : 0.0f);
        hostSets ("MuteAll", juce::String ("MuteAll") == look.switchedOn ? 1.0f : 0.0f);
        tick();

        if (look.overlay != nullptr)
            (panel().*look.overlay)();

        for (auto height : { 400, 540, 864 })
        {
            editor->setSize (WydenzaAudioProcessorEditor::widthForHeight (height), height);

            // Silence at both meters, then two numbers side by side.
            for (const auto levels : { std::array<float, 4> {}, std::array<float, 4> { 0.25f, 0.18f, 1.2f, 0.7f } })
            {
                panel().getInputMeter().setLevels (levels[0], levels[1]);
                panel().getOutputMeter().setLevels (levels[2], levels[3]);
                const auto texts = textsAsDrawn (*editor, { &panel().getSaveDialog(), &panel().getInfoScreen() });
                const auto where = juce::String (look.name) + " at " + juce::String (editor->getWidth()) + "x" + juce::String (height) + ", meters " + panel().getInputMeter().getLeftLabel().getText() + " " + panel().getInputMeter().getRightLabel().getText();
                EXPECT_GT (texts.size(), 3u) << where;
                expectEveryTextFits (texts, *editor, where);
            }
        }

        if (panel().isSaveDialogOpen())
            panel().presetSaveCancelled();

        panel().getInfoScreen().setVisible (false);
    }
}
