#include "EditorFixture.h"
#include "EditorImages.h"

#include "editor/ChoiceGroup.h"
#include "editor/ResizerForEditor.h"
#include "widgets/StereoComponent.h"

#include <set>

using namespace editortests;

namespace
{
struct Placement
{
    const char* name;
    juce::Rectangle<int> at810, at1296;
};

// Worked out by hand from the panel's fractions: anchored buttons at (x W or (1 - x) W, y H or (1 - y) H)
// with sizes in units of 2 H; the rest at fractions of the panel.
const Placement placements[] = {
    { "BYPASS", { 697, 454, 97, 38 }, { 1115, 726, 156, 60 } },
    { "MUTE ALL", { 16, 454, 97, 38 }, { 26, 726, 156, 60 } },
    { "SAFE BASS", { 583, 103, 97, 38 }, { 933, 164, 156, 60 } },
    { "SAVE", { 130, 52, 49, 25 }, { 207, 84, 78, 39 } },
    { "UNDO", { 522, 9, 30, 30 }, { 836, 15, 48, 48 } },
    { "StereoWidth Knob", { 360, 410, 89, 97 }, { 577, 657, 143, 156 } },
    { "Pan Law Group", { 460, 316, 107, 81 }, { 736, 505, 171, 130 } },
    { "Input Meter", { 16, 173, 97, 270 }, { 26, 276, 156, 432 } },
    { "SettingsPopupButton", { 772, 9, 30, 30 }, { 1235, 15, 48, 48 } },
};

std::set<juce::String> visibleChildren (juce::Component& panel)
{
    std::set<juce::String> names;

    for (auto* c : panel.getChildren())
        if (c->isVisible())
            names.insert (c->getName());

    return names;
}
} // namespace

TEST_F (EditorFixture, OpensAtTheStoredHeightAndPlacesEveryControlByItsFractions)
{
    EXPECT_EQ (editor->getBounds().getWidth(), 810);
    EXPECT_EQ (editor->getHeight(), 540);

    for (auto size : { 810, 1296 })
    {
        editor->setSize (size, size * 2 / 3);
        EXPECT_EQ (processor.lastEditorHeight, size * 2 / 3);

        for (const auto& p : placements)
            EXPECT_EQ (find (p.name).getBounds(), size == 810 ? p.at810 : p.at1296) << p.name << " at width " << size;
    }
}

TEST_F (EditorFixture, TheResizeCornerKeepsTheAspectWithinTheDisplayLimitsAndStoresTheHeight)
{
    auto& corner = editor->getResizer();
    const std::tuple<juce::Point<int>, float, juce::Point<int>> drags[] = { { { 810, 540 }, 2000.0f, { 1296, 864 } }, { { 1296, 864 }, -2000.0f, { 405, 270 } }, { { 405, 270 }, 300.0f, { 705, 470 } }, { { 1000, 600 }, 30.0f, { 930, 620 } }, { { 2000, 500 }, 30.0f, { 780, 520 } }, { { 600, 900 }, 2000.0f, { 1296, 864 } } };

    for (const auto& [frame, distance, expected] : drags)
    {
        editor->setSize (frame.x, frame.y); // the frame of a host, maybe not of the panel's shape
        EXPECT_TRUE (panel().getBounds().contains (corner.getBounds()));
        const auto start = centreOf (corner);
        mouse (start, {});
        mouse (start, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
        EXPECT_TRUE (panel().isResizing());
        EXPECT_FALSE (find ("BYPASS").isVisible());
        EXPECT_EQ (paintEditor (*editor).getPixelAt (panel().getX() + panel().getWidth() * 3 / 10, panel().getY() + panel().getHeight() * 3 / 10), juce::Colours::black) << "a RESIZING arrow";

        mouse (start + juce::Point<float> (distance, distance * 0.5f), juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
        mouse (start + juce::Point<float> (distance, distance * 0.5f), {});

        EXPECT_EQ (editor->getBounds().getBottomRight(), expected);
        EXPECT_EQ (processor.lastEditorHeight, expected.y);
        EXPECT_FALSE (panel().isResizing());
        EXPECT_TRUE (find ("BYPASS").isVisible());
        EXPECT_EQ (panel().getStatusLine().getText(), "Resizer: NEW SIZE set to " + juce::String (expected.x) + "x" + juce::String (expected.y));
        eventTime += 1000;
    }
}

TEST (EditorHeights, UnusableStoredHeightsOpenAtTheDefaultAndLargeOnesAsStored)
{
    const std::pair<int, int> cases[] = { { 0, 540 }, { -7, 540 }, { 99, 540 }, { 16385, 540 }, { 1000, 1000 }, { 300, 300 } };

    for (const auto& [stored, opened] : cases)
    {
        WydenzaAudioProcessor processor;
        juce::XmlElement state ("Q7PLUGINSETTINGS");
        state.setAttribute ("lastEditorHeight", stored);
        juce::MemoryBlock chunk;
        juce::AudioProcessor::copyXmlToBinary (state, chunk);
        processor.setStateInformation (chunk.getData(), (int) chunk.getSize());

        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditorIfNeeded());
        EXPECT_EQ (editor->getHeight(), opened) << stored;
        EXPECT_EQ (editor->getWidth(), juce::roundToInt (opened * 1.5f)) << stored;
    }
}

TEST_F (EditorFixture, SwitchesWriteTheirParameterAndShowHostChangesWithoutWritingBack)
{
    const std::pair<const char*, const char*> switches[] = {
        { "SAFE BASS", "SafeBass" },
        { "SWAP L-R", "SwapLR" },
        { "PHASE FLIP", "PhaseFlip" },
        { "MONO", "Mono" },
        { "MUTE MID", "MuteMid" },
        { "MUTE SIDE", "MuteSide" },
        { "MUTE ALL", "MuteAll" },
        { "BYPASS", "Bypass" },
    };

    for (const auto& [buttonName, parameterName] : switches)
    {
        auto& button = find<juce::Button> (buttonName);
        click (button);
        EXPECT_EQ (value (parameterName), 1.0f) << buttonName;
        EXPECT_TRUE (processor.getUndoManager().canUndo());
        click (button);
        EXPECT_EQ (value (parameterName), 0.0f) << buttonName;

        // From the host: shown at the next tick, above 0.5 only, and never written into the preset.
        const auto storedBefore = processor.getPresetState().toXmlString();

        for (auto v : { 0.5f, 0.51f, 0.0f, 1.0f })
        {
            hostSets (parameterName, v);
            tick();
            EXPECT_EQ (button.getToggleState(), v > 0.5f) << buttonName << " " << v;
        }

        EXPECT_EQ (processor.getPresetState().toXmlString(), storedBefore) << buttonName;
        hostSets (parameterName, 0.0f);
        tick();
    }
}

TEST_F (EditorFixture, BypassAndMuteAllLeaveOnlyWhatStillMatters)
{
    const std::set<juce::String> bypassed { "BYPASS", "UNDO", "REDO", "SettingsPopupButton", "Input Meter", "Output Meter", "Stereo Field", "Channel Name Label", "Title Label", "Bottom Info Label" };
    auto mutedAll = bypassed;
    mutedAll.insert ({ "MUTE ALL", "InputGain Knob" });

    hostSets ("Bypass", 1.0f);
    hostSets ("MuteAll", 1.0f);
    tick();
    EXPECT_EQ (visibleChildren (panel()), bypassed);
    EXPECT_TRUE (panel().getStereoField().isBypassed());

    click (find ("BYPASS"));
    EXPECT_EQ (value ("Bypass"), 0.0f);
    EXPECT_EQ (visibleChildren (panel()), mutedAll);

    click (find ("MUTE ALL"));
    const auto all = visibleChildren (panel());
    EXPECT_TRUE (all.count ("StereoWidth Knob") && all.count ("Preset Name Label") && all.count ("NEXT") && ! all.count ("Pan Law Group"));

    click (find ("EXPERT MODE"));
    EXPECT_EQ (processor.expertMode, 1.0);
    EXPECT_TRUE (find ("Pan Law Group").isVisible());
    click (find ("EASY MODE"));
    EXPECT_EQ (processor.expertMode, 0.0);
    EXPECT_FALSE (find ("Pan Mode Group").isVisible());
}

TEST_F (EditorFixture, ChoiceGroupsKeepExactlyTheToggleOfTheValueOn)
{
    click (find ("EXPERT MODE"));

    const struct
    {
        const char* group;
        const char* parameter;
    } groups[] = { { "Pan Law Group", "PanLaw" }, { "Pan Curve Group", "PanCurve" }, { "Stereo Mode Group", "MsMode" }, { "Pan Mode Group", "PanMode" } };

    const auto onIndices = [] (ChoiceGroup& g)
    {
        juce::Array<int> on;
        for (auto i = 0; i < g.getNumToggles(); ++i)
            if (g.getToggle (i).getToggleState())
                on.add (i);
        return on;
    };

    for (const auto& [groupName, parameterName] : groups)
    {
        auto& group = find<ChoiceGroup> (groupName);
        const auto last = group.getNumToggles() - 1;

        // Host values: below 0.1 the first, 0.1 itself the second, beyond the last tenth the last.
        const std::pair<float, int> hostValues[] = { { 0.1f, 1 }, { 0.15f, 1 }, { 0.25f, juce::jmin (2, last) }, { 0.0f, 0 }, { 0.05f, 0 }, { 1.0f, last }, { 0.2f, juce::jmin (2, last) } };

        for (const auto& [v, expected] : hostValues)
        {
            hostSets (parameterName, v);
            tick();
            EXPECT_EQ (onIndices (group), juce::Array<int> (expected)) << groupName << " " << v;
        }

        // Clicks in every order, the one already on included: one toggle on, and its value written.
        for (auto i : { 0, last, 1, 1, 0, last })
        {
            click (group.getToggle (i));
            EXPECT_EQ (onIndices (group), juce::Array<int> (i)) << groupName << " click " << i;
            EXPECT_FLOAT_EQ (value (parameterName), 0.1f * (float) i) << groupName;
            tick();
            EXPECT_EQ (onIndices (group), juce::Array<int> (i)) << groupName << " after the tick";
        }
    }
}

TEST_F (EditorFixture, MonoHoldsTheWidthAtZeroUntilItIsSwitchedOff)
{
    auto& width = find<juce::Slider> ("StereoWidth Knob");
    auto& widthLabel = find<juce::Label> ("Stereo Width Label");

    click (find ("MONO"));
    EXPECT_FALSE (width.isEnabled());
    EXPECT_EQ (width.getValue(), 0.0);

    hostSets ("StereoWidth", 0.8f);
    tick();
    EXPECT_EQ (width.getValue(), 0.0);
    EXPECT_EQ (widthLabel.getText(), processor.getParameterSet().getByName ("StereoWidth")->getTextForValue (0.0f));
    EXPECT_EQ (widthLabel.getTooltip(), "STEREO WIDTH: is 0%, because MONO is on ...");

    click (find ("MONO"));
    EXPECT_FLOAT_EQ ((float) width.getValue(), 0.8f);
    EXPECT_FLOAT_EQ (panel().getStereoField().getWidthValue(), 0.8f);
    EXPECT_EQ (widthLabel.getText(), processor.getParameterSet().getByName ("StereoWidth")->getTextForValue (0.8f));
    EXPECT_FLOAT_EQ (value ("StereoWidth"), 0.8f); // switching mono never writes the width
}

TEST_F (EditorFixture, TypedValuesAndNamesGoThroughTheirLabels)
{
    doubleClick (find<juce::Label> ("Pan"));
    EXPECT_TRUE (find<juce::Label> ("Pan").isBeingEdited());
    type ("L30");
    EXPECT_FLOAT_EQ (value ("Pan"), 0.35f);
    EXPECT_FLOAT_EQ ((float) find<juce::Slider> ("Pan Knob").getValue(), 0.35f);
    EXPECT_FLOAT_EQ (panel().getStereoField().getPanValue(), 0.35f);
    EXPECT_EQ (find<juce::Label> ("Pan").getText(), "L30");

    tick(); // UNDO follows the undo history at the editor's next tick
    click (find ("UNDO"));
    tick();
    EXPECT_FLOAT_EQ (value ("Pan"), 0.5f); // the typed value was one undo step

    auto& presetName = find<juce::Label> ("Preset Name Label");
    const auto before = presetName.getText();
    doubleClick (presetName);
    EXPECT_TRUE (presetName.isBeingEdited());
    type ("   ");
    EXPECT_EQ (presetName.getText(), processor.getProgramName (0));
    EXPECT_EQ (processor.getProgramName (0), before);
    EXPECT_EQ (panel().getStatusLine().getText(), "PRESET NAME: new preset name not accepted !!!");

    moveTo (find ("BYPASS")); // an important message outlives help texts
    EXPECT_EQ (panel().getStatusLine().getText(), "PRESET NAME: new preset name not accepted !!!");

    doubleClick (presetName);
    type ("My Mix 2");
    EXPECT_EQ (processor.getProgramName (0), "My Mix 2");

    auto& channel = find<juce::Label> ("Channel Name Label");
    EXPECT_EQ (channel.getText(), "No Channel Name");
    click (channel);
    type ("Drums");
    EXPECT_EQ (processor.channelName, "Drums");
}

TEST_F (EditorFixture, OneDragIsOneUndoStepAndTheButtonsFollowTheUndoHistory)
{
    auto& width = find<juce::Slider> ("StereoWidth Knob");
    tick();
    EXPECT_FALSE (find ("UNDO").isEnabled());
    EXPECT_FALSE (find ("REDO").isEnabled());

    pressAndDrag (width, { 10.0f, 20.0f, 35.0f });
    const auto dragged = value ("StereoWidth");
    EXPECT_GT (dragged, 0.55f);

    // The host moves the same parameter in the middle of the drag: shown at once, and the drag goes on.
    hostSets ("StereoWidth", 0.2f);
    tick();
    EXPECT_FLOAT_EQ ((float) width.getValue(), 0.2f);
    mouse (lastMouse().translated (0.0f, -10.0f), juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
    release();
    tick();

    EXPECT_TRUE (find ("UNDO").isEnabled());
    click (find ("UNDO"));
    tick();
    EXPECT_FLOAT_EQ (value ("StereoWidth"), 0.5f);
    EXPECT_FLOAT_EQ ((float) width.getValue(), 0.5f);
    EXPECT_FALSE (find ("UNDO").isEnabled()); // the whole drag was one step
    EXPECT_TRUE (find ("REDO").isEnabled());

    click (find ("REDO"));
    tick();
    EXPECT_NE (value ("StereoWidth"), 0.5f);
    EXPECT_FALSE (find ("REDO").isEnabled());
}

TEST_F (EditorFixture, NextAndPreviousStepThroughThePresetsAndTheLabelFollows)
{
    const auto names = processor.getFactoryPresetNames();
    click (find ("NEXT"));
    tick();
    EXPECT_EQ (find<juce::Label> ("Preset Name Label").getText(), names[1]);
    click (find ("PREV"));
    click (find ("PREV"));
    tick();
    EXPECT_EQ (find<juce::Label> ("Preset Name Label").getText(), processor.getPresetDisplayName());
    EXPECT_NE (processor.getPresetDisplayName(), names[1]);
}

TEST_F (EditorFixture, TheStatusLineShowsTheTooltipUnderTheMouse)
{
    const std::pair<const char*, const char*> hovers[] = {
        { "BYPASS", "BYPASS: this bypasses the whole plugin" },
        { "InputGain Knob", "INPUT GAIN: this controls the level of the input signal" },
        { "NEXT", "NEXT PRESET: loads the next preset" },
        { "Channel Name Label", "CHANNEL NAME: this can be used to set a name for this plugin channel" },
    };

    for (const auto& [name, tip] : hovers)
    {
        moveTo (find (name));
        EXPECT_EQ (panel().getStatusLine().getText(), tip) << name;
    }

    mouse ({ 235.0f, 302.0f }, {}); // the bare panel
    EXPECT_EQ (panel().getStatusLine().getText(), "");
}

TEST (StatusLineTest, ImportantMessagesHoldThenEachKindExpiresOnItsOwn)
{
    juce::Label label;
    StatusLine status (label);
    const auto t0 = juce::Time (2026, 11, 7, 12, 0);
    const auto at = [t0] (double seconds)
    { return t0 + juce::RelativeTime::seconds (seconds); };

    const struct
    {
        double when;
        const char* text; // null: an expiry check, with resizing as given
        bool important, resizing;
        const char* shown;
    } steps[] = {
        { 0.0, "help", false, false, "help" },
        { 5.9, nullptr, false, false, "help" },
        { 6.1, nullptr, false, false, "" },
        { 7.0, "SAVE: OK", true, false, "SAVE: OK" },
        { 7.5, "help over it", false, false, "SAVE: OK" },
        { 9.9, nullptr, false, false, "SAVE: OK" },
        { 10.1, nullptr, false, true, "SAVE: OK" }, // nothing is cleared during a corner drag
        { 10.2, nullptr, false, false, "" },
        { 10.3, "help again", false, false, "help again" },
        { 11.0, "ERROR", true, false, "ERROR" },
        { 12.0, "NEWER", true, false, "NEWER" }, // an important message replaces another and restarts its time
        { 14.5, nullptr, false, false, "NEWER" },
        { 15.1, nullptr, false, false, "" },
    };

    for (const auto& s : steps)
    {
        if (s.text != nullptr)
            status.setText (s.text, s.important, at (s.when));
        else
            status.expire (at (s.when), s.resizing);

        EXPECT_EQ (label.getText(), s.shown) << "at " << s.when;
    }
}

TEST_F (EditorFixture, EveryKnobShowsTheHostsValueAndWritesItsOwn)
{
    click (find ("SAFE BASS")); // the crossover knob follows its parameter only while safe bass is on

    for (const auto* name : { "StereoWidth", "Pan", "InputGain", "OutputGain", "SafeBassFreq" })
    {
        auto& knob = find<juce::Slider> (juce::String (name) + " Knob");

        hostSets (name, 0.3f);
        tick();
        EXPECT_FLOAT_EQ ((float) knob.getValue(), 0.3f) << name;

        pressAndDrag (knob, { 20.0f, 35.0f });
        release();
        EXPECT_GT (value (name), 0.3f) << name;
        EXPECT_FLOAT_EQ (value (name), (float) knob.getValue()) << name;
    }

    // Safe bass off: the crossover knob shows "OFF" and no longer follows the host.
    click (find ("SAFE BASS"));
    auto& crossover = find<juce::Slider> ("SafeBassFreq Knob");
    hostSets ("SafeBassFreq", 0.8f);
    tick();
    EXPECT_EQ (crossover.getValue(), 0.0);
    EXPECT_FALSE (crossover.isEnabled());
    EXPECT_EQ (crossover.getTextFromValue (crossover.getValue()), "OFF");
}
