#include "EditorFixture.h"

#include "editor/ManagePresetsComponent.h"
#include "widgets/CvxQ7LookAndFeelV1.h"
#include "widgets/InfoComponent.h"

using namespace editortests;

namespace
{
/** The dialog and screen driven through the open editor; keys go to whatever has the focus. */
class SaveDialogAndInfo : public EditorFixture
{
public:
    ManagePresetsComponent& dialog() { return panel().getSaveDialog(); }
    juce::TextEditor& field() { return dialog().getTextEditor(); }
    InfoComponent& info() { return panel().getInfoScreen(); }

    juce::Button& infoButton (const char* name) { return *findChild<juce::Button> (info(), name); }

    void openDialog() { click (find<juce::Button> ("SAVE")); }

    void press (const juce::KeyPress& key)
    {
        editor->getPeer()->handleKeyPress (key);
        pumpMessages (30);
    }

    void pressCharacters (const juce::String& text)
    {
        for (auto c : text)
            editor->getPeer()->handleKeyPress (juce::KeyPress ((int) c, {}, c));
    }
};
} // namespace

TEST_F (SaveDialogAndInfo, OpeningAndEscapeShowTheNameWithoutTheModifiedMarkSelectedAndFocused)
{
    processor.setPresetModified (true);
    const auto name = processor.getProgramName (0).removeCharacters ("*");
    ASSERT_EQ (processor.getProgramName (0), name + "*");

    openDialog();

    for (auto afterEscape : { false, true })
    {
        if (afterEscape)
        {
            pressCharacters ("Other");
            ASSERT_EQ (field().getText(), "Other");
            press (juce::KeyPress (juce::KeyPress::escapeKey));
        }

        EXPECT_EQ (field().getText(), name) << afterEscape;
        EXPECT_EQ (field().getHighlightedRegion(), juce::Range<int> (0, name.length())) << afterEscape;
        EXPECT_TRUE (field().hasKeyboardFocus (false)) << afterEscape;
        EXPECT_TRUE (panel().isSaveDialogOpen() && dialog().isShowing()) << afterEscape;
    }
}

// CANCEL is covered with the panel's tests of the dialog.
TEST_F (SaveDialogAndInfo, TypedNamesKeepOnlyNameCharactersUpToThirtyNineAndReturnOrSaveWritesThem)
{
    const auto forty = juce::String::repeatedString ("0123456789", 4);
    const std::tuple<juce::String, juce::String, bool> cases[] = {
        { "Wide 2-_!+#%&", "Wide 2-_!+#%&", false },
        { "a/b\\c:d*e?f.g\"<>|", "abcdefg", true },
        { forty, forty.dropLastCharacters (1), false },
        { juce::String (juce::CharPointer_UTF8 ("/\xc3\xa9*")), {}, true }, // nothing left: the name from the opening is saved
    };

    for (const auto& [typed, kept, bySaveButton] : cases)
    {
        openDialog();
        const auto opened = field().getText();
        pressCharacters (typed);

        EXPECT_EQ (field().getText(), kept) << typed;
        const auto name = kept.isEmpty() ? opened : kept;
        EXPECT_EQ (dialog().getPresetNameText(), name) << typed;

        if (bySaveButton)
            click (*findChild<juce::Button> (dialog(), "SAVE"));
        else
            press (juce::KeyPress (juce::KeyPress::returnKey));

        EXPECT_FALSE (panel().isSaveDialogOpen() || dialog().isVisible()) << typed;
        EXPECT_TRUE (processor.getUserPresetNames().contains (name)) << typed;
        EXPECT_EQ (processor.getProgramName (0), name) << typed;
        EXPECT_EQ (panel().getStatusLine().getText(), MainEditorComponent::savedMessage) << typed;
    }
}

TEST_F (SaveDialogAndInfo, DefaultSizeButtonsStoreTheRatioOfTheDisplayAndDisableThemselves)
{
    ASSERT_EQ (CvxQ7LookAndFeelV1::getMainDisplayHeight(), 1080);
    ASSERT_EQ (editor->getHeight(), 540);

    // A 540-pixel editor on a 1080-pixel display is half of it, whichever ratio was there before.
    const std::pair<float, const char*> cases[] = { { 0.4f, "SET CURRENT AS DEFAULT" }, { 0.7f, "RESET DEFAULT SIZE" } };

    for (const auto& [ratio, button] : cases)
    {
        processor.defaultEditorDesktopHeightRatio = ratio;
        processor.updateDefaultEditorHeight();
        panel().showInfoScreen();
        info().updateButtonStates();
        ASSERT_TRUE (infoButton (button).isEnabled()) << button;

        click (infoButton (button));

        EXPECT_FLOAT_EQ (processor.defaultEditorDesktopHeightRatio, 0.5f) << button;
        EXPECT_EQ (processor.defaultEditorHeight, 540) << button;
        EXPECT_FALSE (infoButton ("RESET DEFAULT SIZE").isEnabled()) << button;
        EXPECT_FALSE (infoButton ("SET CURRENT AS DEFAULT").isEnabled()) << button;
    }
}

TEST_F (SaveDialogAndInfo, ResizeToDefaultResizesTheEditorAndCloseHidesTheScreen)
{
    editor->setSize (900, 600);
    panel().showInfoScreen();
    ASSERT_EQ (processor.lastEditorHeight, 600);

    click (infoButton ("RESIZE TO DEFAULT"));
    tick();

    EXPECT_EQ (processor.lastEditorHeight, 540);
    EXPECT_EQ (editor->getHeight(), 540);
    EXPECT_FALSE (infoButton ("RESIZE TO DEFAULT").isEnabled());
    EXPECT_FALSE (infoButton ("SET CURRENT AS DEFAULT").isEnabled());

    click (infoButton ("CLOSE"));
    EXPECT_FALSE (info().isVisible());
}

TEST_F (SaveDialogAndInfo, ClearUndoHistoryForgetsTheEditorsChangesAndDisablesItself)
{
    click (find<juce::Button> ("MONO"));
    tick();
    ASSERT_TRUE (processor.canUndo());
    panel().showInfoScreen();
    ASSERT_TRUE (infoButton ("CLEAR UNDO HISTORY").isEnabled());

    click (infoButton ("CLEAR UNDO HISTORY"));

    EXPECT_FALSE (processor.canUndo());
    EXPECT_FALSE (processor.canRedo());
    EXPECT_FALSE (infoButton ("CLEAR UNDO HISTORY").isEnabled());
}

TEST_F (SaveDialogAndInfo, TheScreenShowsTheAboutAndLegalTextsReadOnly)
{
    const auto about = InfoComponent::getAboutText();
    auto lines = juce::StringArray::fromLines (about);

    EXPECT_TRUE (about.startsWith ("Wydenza v1.1.0\n\n")) << about;
    EXPECT_FALSE (about.endsWithChar ('\n'));
    ASSERT_EQ (lines.size(), 9) << about;

    for (auto i : { 2, 3, 4 })
        EXPECT_TRUE (lines[i].contains ("zelvora.example")) << lines[i];

    EXPECT_TRUE (lines[5].isEmpty());
    EXPECT_EQ (lines[6], "Concept: the Wydenza developers");
    EXPECT_EQ (lines[7], "Graphical User Interface: the Wydenza developers");
    EXPECT_EQ (lines[8], "Programming: the Wydenza developers");

    const auto legal = juce::StringArray::fromLines (InfoComponent::getLegalText());
    ASSERT_EQ (legal.size(), 2);
    EXPECT_TRUE (legal[0].contains ("ZELVORA") && legal[1].contains ("VST") && legal[1].contains ("LV2"));

    juce::StringArray shown;

    for (auto* child : info().getChildren())
        if (auto* text = dynamic_cast<juce::TextEditor*> (child))
        {
            EXPECT_TRUE (text->isReadOnly());
            shown.add (text->getText());
        }

    EXPECT_EQ (shown, juce::StringArray (about, InfoComponent::getLegalText()));
}

TEST_F (SaveDialogAndInfo, EveryLineOfTheTextsEndsOnTheCentrePanel)
{
    // The fields reach past the panel's right edge; a line as wide as the field would run over the outline.
    for (auto width : { 810, 1296, 600 })
    {
        editor->setSize (width, width * 2 / 3);

        for (auto* child : info().getChildren())
            if (auto* text = dynamic_cast<juce::TextEditor*> (child))
                for (const auto& line : juce::StringArray::fromLines (text->getText()))
                {
                    const auto right = (float) (text->getX() + text->getLeftIndent() + text->getBorder().getLeft()) + text->getFont().getStringWidthFloat (line);
                    EXPECT_LE (right, info().getTextRightLimit()) << line << " at width " << width;
                }
    }
}
