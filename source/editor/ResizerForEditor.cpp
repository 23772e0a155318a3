#include "ResizerForEditor.h"

#include "MainEditorComponent.h"

ResizerForEditor::ResizerForEditor (juce::Component* componentToResize, juce::ComponentBoundsConstrainer* constrainerToUse, MainEditorComponent* mainPanelToTell)
    : juce::ResizableCornerComponent (componentToResize, constrainerToUse),
      mainPanel (mainPanelToTell)
{
}

void ResizerForEditor::mouseDown (const juce::MouseEvent& e)
{
    juce::ResizableCornerComponent::mouseDown (e);

    if (mainPanel != nullptr)
        mainPanel->resizeStarted();
}

void ResizerForEditor::mouseUp (const juce::MouseEvent& e)
{
    juce::ResizableCornerComponent::mouseUp (e);

    if (mainPanel != nullptr)
        mainPanel->resizeFinished();
}
