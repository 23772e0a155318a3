#include "WidgetTestHelpers.h"

#include "widgets/CvxPresetNameLabel.h"
#include "widgets/PresetNameCharacters.h"

namespace
{
struct EditorWatcher : public juce::Label::Listener
{
    void labelTextChanged (juce::Label*) override {}
    void editorShown (juce::Label*, juce::TextEditor&) override { ++shown; }

    int shown = 0;
};

struct NameLabelFixture : public ::testing::Test
{
    NameLabelFixture()
    {
        label.setBounds (0, 0, 300, 30);
        label.setEditable (false, true, true);
        label.addListener (&watcher);
    }

    ~NameLabelFixture() override { label.removeListener (&watcher); }

    juce::TextEditor& open (const juce::String& text)
    {
        label.setText (text, juce::dontSendNotification);
        label.showEditor();
        auto* editor = label.getCurrentTextEditor();
        EXPECT_NE (editor, nullptr);
        return *editor;
    }

    CvxPresetNameLabel label { "Preset Name Label", "insert your preset name here", presetNameCharacters };
    EditorWatcher watcher;
};
} // namespace

TEST_F (NameLabelFixture, EditorOpensWithoutMarkerAndWholeNameSelected)
{
    auto& editor = open ("Bass*");
    EXPECT_EQ (editor.getText(), "Bass");
    EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, 4));
    EXPECT_EQ (watcher.shown, 1);

    label.hideEditor (true);
    EXPECT_EQ (open ("*Wi*de**").getText(), "Wide");

    // The opening text is not filtered: the name rules apply when the edit is accepted.
    label.hideEditor (true);
    EXPECT_EQ (open ("Bass/Drums*").getText(), "Bass/Drums");

    label.hideEditor (true);
    auto& empty = open ("");
    EXPECT_EQ (empty.getText(), "");
    EXPECT_TRUE (empty.getHighlightedRegion().isEmpty());
}

TEST_F (NameLabelFixture, TypedInputIsRestrictedToThirtyNineAllowedCharacters)
{
    EXPECT_EQ (presetNameCharacters.length(), 70);   // letters, digits, blank and "_-!+#%&"

    auto& editor = open ("Old Name*");
    editor.insertTextAtCaret ("New/Name?:*");
    EXPECT_EQ (editor.getText(), "NewName");

    editor.setText ({}, false);
    editor.insertTextAtCaret (juce::String::repeatedString ("ab-_!+#%& 12", 5));
    EXPECT_EQ (editor.getText().length(), label.getMaxLength());
    EXPECT_EQ (label.getMaxLength(), 39);
    EXPECT_EQ (editor.getText(), juce::String::repeatedString ("ab-_!+#%& 12", 5).substring (0, 39));
}

TEST_F (NameLabelFixture, OpeningSendsTheTextChangedNotification)
{
    struct TextChangeCounter : public juce::TextEditor::Listener
    {
        void textEditorTextChanged (juce::TextEditor&) override { ++count; }
        int count = 0;
    } counter;

    // Listeners added later hear first, so the count is taken even if the unfocused test label
    // then closes its editor.
    open ("Bass*").addListener (&counter);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

    EXPECT_EQ (counter.count, 1);

    if (auto* editor = label.getCurrentTextEditor())
        editor->removeListener (&counter);
}
