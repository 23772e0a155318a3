#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

class WydenzaAudioProcessor;
class ProportionalLayout;
class CvxQ7LookAndFeelV1;
class ResizerForEditor;
class MainEditorComponent;
class SignalScopeReader;

/**
    The editor window: the main panel at 3 : 2, as large as fits and centred (a host may give the
    window any shape; the margins take the panel's base colour), a resize corner on the panel that
    keeps the aspect within limits taken from the main display, and a "RESIZING" screen under the
    panel while the corner is dragged. Its 70 ms timer is the only way news from the processor
    reaches the panel: meter peaks, refresh requests, parameters the host changed and the undo
    state, all published by the processor as atomic values and flags that any thread may set.
*/
class WydenzaAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    public juce::Timer
{
public:
    explicit WydenzaAudioProcessorEditor (WydenzaAudioProcessor&);
    ~WydenzaAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    /** Takes up what the processor published since the last tick. Message thread. */
    void timerCallback() override;

    /** Reloads every control, the names, mode and scheme from the processor and takes its stored size. */
    void refreshFromProcessor();

    ProportionalLayout& getLayout() noexcept { return *layout; }
    CvxQ7LookAndFeelV1& getLookAndFeelV1() noexcept { return *lookAndFeel; }
    MainEditorComponent* getMainPanel() noexcept { return mainPanel.get(); }
    juce::ComponentBoundsConstrainer& getConstrainer() noexcept { return *constrainer; }
    ResizerForEditor& getResizer() noexcept { return *resizer; }

    /** Shows or hides the signal scope in the stereo field and keeps the choice in the user's settings. */
    void setSignalScopeShown (bool shouldBeShown);
    bool isSignalScopeShown() const noexcept;
    SignalScopeReader& getSignalScopeReader() noexcept { return *scopeReader; }

    static constexpr int timerIntervalMs = 70;
    static constexpr float aspectRatio = 1.5f;

    /** The width for a height at the fixed aspect ratio. */
    static int widthForHeight (int height) noexcept;

    /** The largest rectangle at the fixed aspect ratio inside an area, centred in it (empty for an empty area). */
    static juce::Rectangle<int> panelBoundsWithin (juce::Rectangle<int> area) noexcept;

private:
    /** The stored height, or the default one when the stored one cannot give a usable window. */
    int usableStoredHeight() const noexcept;

    WydenzaAudioProcessor& audioProcessor;
    std::unique_ptr<ProportionalLayout> layout;
    int currentHeight = 0;
    std::unique_ptr<juce::Font> editorFont;
    std::unique_ptr<CvxQ7LookAndFeelV1> lookAndFeel;
    std::unique_ptr<juce::ComponentBoundsConstrainer> constrainer;
    std::unique_ptr<ResizerForEditor> resizer;
    std::unique_ptr<MainEditorComponent> mainPanel;
    std::unique_ptr<SignalScopeReader> scopeReader;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WydenzaAudioProcessorEditor)
};
