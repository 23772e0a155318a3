#include "ResizerForEditor.h"

#include "MainEditorComponent.h"

ResizerForEditor::ResizerForEditor (juce::Component* componentToResize, juce::ComponentBoundsConstrainer* constrainerToUse, MainEditorComponent* mainPanelToTell)
    : juce::ResizableCornerComponent (componentToResize, constrainerToUse),
      target (componentToResize),
      constrainer (constrainerToUse),
      mainPanel (mainPanelToTell)
{
}

void ResizerForEditor::mouseDown (const juce::MouseEvent& e)
{
    juce::ResizableCornerComponent::mouseDown (e);

    if (target != nullptr)
        boundsAtDragStart = mainPanel != nullptr ? target->getBounds().withSize (mainPanel->getWidth(), mainPanel->getHeight())
                                                 : target->getBounds();

    if (mainPanel != nullptr)
        mainPanel->resizeStarted();
}

void ResizerForEditor::mouseDrag (const juce::MouseEvent& e)
{
    if (target == nullptr)
        return;

    auto r = boundsAtDragStart.withSize (boundsAtDragStart.getWidth() + e.getDistanceFromDragStartX(),
                                         boundsAtDragStart.getHeight() + e.getDistanceFromDragStartY());

    if (constrainer == nullptr)
    {
        target->setBounds (r);
        return;
    }

    // Weighed against the panel's shape, not the frame's, the aspect follows the pointer as on a window of the panel's own shape.
    const auto* parent = target->getParentComponent();
    const auto area = parent != nullptr ? parent->getLocalBounds() : juce::Desktop::getInstance().getDisplays().getTotalBounds (true);
    constrainer->checkBounds (r, boundsAtDragStart, area, false, false, true, true);
    constrainer->applyBoundsToComponent (*target, r);
}

void ResizerForEditor::mouseUp (const juce::MouseEvent& e)
{
    juce::ResizableCornerComponent::mouseUp (e);

    if (mainPanel != nullptr)
        mainPanel->resizeFinished();
}
