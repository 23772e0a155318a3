#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class WydenzaAudioProcessor;
class MainEditorComponent;

/**
    The small dialog in which the user names the current settings before they are saved as a user
    preset: a one-line field that takes at most 39 characters of the preset name set, SAVE and CANCEL.
    The saving itself and the status messages are the main panel's.
*/
class ManagePresetsComponent : public juce::Component,
                               private juce::TextEditor::Listener,
                               private juce::Button::Listener
{
public:
    /** The font is lent by the owner, which keeps it alive; the dialog sets its height at layout. */
    ManagePresetsComponent (WydenzaAudioProcessor&, MainEditorComponent& owner, juce::Font* fontToUse);
    ~ManagePresetsComponent() override;

    /** Puts the current preset's name, without any "*", into the field and selects all of it. */
    void resetText();

    /** The typed name, or, when the field is empty, the name put in at the last reset. */
    juce::String getPresetNameText();

    juce::TextEditor& getTextEditor() noexcept { return textEditor; }

    void paint (juce::Graphics&) override;
    void resized() override;

    static constexpr int maxNameLength = 39;

private:
    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;
    void textEditorTextChanged (juce::TextEditor&) override;
    void buttonClicked (juce::Button*) override;
    /** The lent font at the dialog's height, smaller while the name would not fit the field. */
    void applyFont();

    WydenzaAudioProcessor& processor;
    MainEditorComponent& owner;
    float widthF = 0.0f, heightF = 0.0f;
    std::unique_ptr<juce::TextButton> saveButton, cancelButton;
    juce::TextEditor textEditor;
    juce::String rememberedName;
    juce::Font* font;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ManagePresetsComponent)
};
