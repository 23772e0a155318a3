#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class WydenzaAudioProcessor;
class MainEditorComponent;

/** The settings menu's item ids; the main panel carries them too (MainEditorComponent::showInfoItem). */
struct SettingsMenuItems
{
    enum MenuItem
    {
        resizeToDefaultItem = 1,
        showInfoItem = 2,
        classicDarkItem = 3,
        brightEyesItem = 4,
        saveAsItem = 5,
        revealFolderItem = 6,
        signalScopeItem = 7,
        firstFactoryPresetItem = 100,
        firstUserPresetItem = 200,
        titleItem = -1
    };
};

/**
    The menu behind the panel's drop-down button: resize to the default size, every factory and user
    preset, save as, reveal the user presets folder, the two colour schemes, the signal scope, the info
    screen and the title. Built afresh from the processor's state at every opening, shown asynchronously, its result
    carried out on the panel and the processor. While it is open, a watchdog closes it once the mouse
    has been away from it for a second. Message thread only.
*/
class SettingsMenu : public SettingsMenuItems
{
public:
    SettingsMenu (WydenzaAudioProcessor&, MainEditorComponent&);
    ~SettingsMenu();

    /** The menu as it stands now. */
    juce::PopupMenu build() const;

    /** Opens the menu at the mouse; its result comes back through the panel's settingsMenuFinished. */
    void show (juce::LookAndFeel&);

    /** Carries out a result (0 when the menu was dismissed) and marks the menu closed. */
    void perform (int result);

    bool isOpen() const noexcept { return open; }

    /** Closes the open menu when the mouse has not been over it for a second. */
    void checkWatchdog (juce::Time now);

    static bool isMouseOverPopupMenu();

    /** The colour scheme brightnesses the two scheme items stand for. */
    static constexpr float classicDarkBrightness = 0.0f, brightEyesBrightness = 0.3f;

private:
    /** Turns the scope on or off in the open editor and in the user's settings. */
    void toggleSignalScope();

    WydenzaAudioProcessor& processor;
    MainEditorComponent& panel;
    bool open = false;
    juce::Time checkTime;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsMenu)
};
