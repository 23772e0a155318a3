#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class WydenzaAudioProcessor;
class MainEditorComponent;

/**
    The info and settings screen laid over the main panel: product, version and credits, the maker's
    logo, the current and default editor sizes, the sample rate, system, host and channel counts, and
    buttons to close it, resize to the default size, make the current size the default, reset the
    default and clear the undo history. It reads and calls the processor directly. Message thread only.
*/
class InfoComponent : public juce::Component,
                      private juce::Button::Listener
{
public:
    /** The font is the main panel's and must outlive this screen. */
    InfoComponent (WydenzaAudioProcessor&, MainEditorComponent& mainPanel, juce::Font* fontToUse);
    ~InfoComponent() override;

    /** Enables the buttons from the processor's sizes, height ratio and undo history. */
    void updateButtonStates();

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Where the lines of the two text fields must end, in this screen's coordinates. */
    float getTextRightLimit() const noexcept;

    /** The texts of the two read-only fields, fixed at construction. */
    static juce::String getAboutText();
    static juce::String getLegalText();

private:
    void buttonClicked (juce::Button*) override;
    void visibilityChanged() override;
    static juce::Font fontFittingEveryLine (const juce::TextEditor&, float height, float rightLimit);
    void drawProportionalText (juce::Graphics&, const juce::String& text, float x, float y, float w, float h, juce::Justification) const;

    WydenzaAudioProcessor* processor;
    MainEditorComponent* mainPanel;
    float heightF = 0.0f;
    juce::Font* font;
    std::unique_ptr<juce::TextButton> closeButton, resizeToDefaultButton, setCurrentAsDefaultButton, resetDefaultSizeButton, clearUndoHistoryButton;
    juce::TextEditor aboutText, legalText;
    std::unique_ptr<juce::Drawable> logo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InfoComponent)
};
