#include "PopupCallbackReceiver.h"

#include "MainEditorComponent.h"

PopupCallbackReceiver::PopupCallbackReceiver (MainEditorComponent* panel)
    : mainPanel (panel)
{
}

void PopupCallbackReceiver::modalStateFinished (int returnValue)
{
    if (auto* panel = mainPanel.getComponent())
        panel->settingsMenuFinished (returnValue);
}
