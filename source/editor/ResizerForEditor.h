#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;

/** The editor's resize corner: tells the main panel when a drag starts and ends. */
class ResizerForEditor : public juce::ResizableCornerComponent
{
public:
    /** The panel may be null; it is not owned. */
    ResizerForEditor (juce::Component* componentToResize, juce::ComponentBoundsConstrainer* constrainerToUse, MainEditorComponent* mainPanel);

    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    MainEditorComponent* mainPanel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ResizerForEditor)
};
