#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;

/** Receives the settings menu's result and hands it to the main panel, if the panel still exists. */
class PopupCallbackReceiver : public juce::ModalComponentManager::Callback
{
public:
    explicit PopupCallbackReceiver (MainEditorComponent* panel);

    void modalStateFinished (int returnValue) override;

private:
    // The editor may close while the menu is open; the result then goes nowhere.
    juce::Component::SafePointer<MainEditorComponent> mainPanel;
};
