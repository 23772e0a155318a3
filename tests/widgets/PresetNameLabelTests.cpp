#include "WidgetTestHelpers.h"

#include "presets/PresetNameCharacters.h"
#include "widgets/CvxPresetNameLabel.h"
#include "widgets/CvxQ7LookAndFeelV1.h"

TEST (PresetNameLabel, EditorOpensCleanedSelectedAndRestricted)
{
    CvxPresetNameLabel label ("Preset Name Label", "insert your preset name here", presetNameCharacters);
    label.setBounds (0, 0, 300, 30);

    struct Counter : public juce::TextEditor::Listener
    {
        void textEditorTextChanged (juce::TextEditor&) override { ++count; }
        int count = 0;
    } counter;

    const auto open = [&] (const juce::String& text) -> juce::TextEditor&
    {
        label.hideEditor (true);
        label.setText (text, juce::dontSendNotification);
        label.showEditor();
        return *label.getCurrentTextEditor();
    };

    // The opening text loses every "*" but is not filtered otherwise: the name rules apply later.
    const std::pair<const char*, const char*> names[] = { { "Bass*", "Bass" }, { "*Wi*de**", "Wide" }, { "A/B*", "A/B" }, { "", "" } };
    for (const auto& [shown, edited] : names)
    {
        auto& editor = open (shown);
        EXPECT_EQ (editor.getText(), edited);
        EXPECT_EQ (editor.getHighlightedRegion(), juce::Range<int> (0, juce::String (edited).length()));
    }

    auto& editor = open ("Old Name*");
    editor.insertTextAtCaret ("New/Name?:*");
    EXPECT_EQ (editor.getText(), "NewName");

    const auto allowed = juce::String::repeatedString ("ab-_!+#%& 12", 5);
    editor.setText ({}, false);
    editor.insertTextAtCaret (allowed);
    EXPECT_EQ (editor.getText(), allowed.substring (0, 39));

    // The text put in on opening is announced; listeners added later hear first, so the count is
    // taken even if the unfocused test label then closes its editor.
    open ("Bass*").addListener (&counter);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (counter.count, 1);

    if (auto* e = label.getCurrentTextEditor())
        e->removeListener (&counter);

    CvxQ7LookAndFeelV1 lookAndFeel;
    label.hideEditor (true);
    label.setText ("Wide Drums*", juce::dontSendNotification);
    label.setJustificationType (juce::Justification::centred);
    label.setLookAndFeel (&lookAndFeel);
    widgettests::saveAtTwoSizes (label, "preset-name-label", { 160, 20 }, { 480, 60 });
    label.setLookAndFeel (nullptr);
}
