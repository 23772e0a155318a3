#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class MainEditorComponent;

/**
    The editor's resize corner: tells the main panel when a drag starts and ends. A host may hold the
    editor at another shape than the panel's, so a drag starts from the panel's size and the panel's
    corner follows the pointer.
*/
class ResizerForEditor : public juce::ResizableCornerComponent
{
public:
    /** The panel may be null; it is not owned. */
    ResizerForEditor (juce::Component* componentToResize, juce::ComponentBoundsConstrainer* constrainerToUse, MainEditorComponent* mainPanel);

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;

private:
    juce::Component::SafePointer<juce::Component> target;
    juce::ComponentBoundsConstrainer* constrainer;
    MainEditorComponent* mainPanel;
    juce::Rectangle<int> boundsAtDragStart;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ResizerForEditor)
};
