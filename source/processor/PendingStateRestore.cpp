#include "PendingStateRestore.h"

void PendingStateRestore::Restore::applyTo (Settings& settings) const
{
    settings.programName = programName;

    if (! keepsEditorSettings)
    {
        if (defaultEditorHeight.has_value())
            settings.defaultEditorHeight = *defaultEditorHeight;

        settings.lastEditorHeight = lastEditorHeight.value_or (settings.defaultEditorHeight);
        settings.colourSchemeBrightness = colourSchemeBrightness;

        if (channelName.has_value())
            settings.channelName = *channelName;

        settings.expertMode = expertMode;
    }

    if (stepFactoryPresets.has_value())
        settings.stepFactoryPresets = *stepFactoryPresets;
}

PendingStateRestore::Restore PendingStateRestore::Restore::followedBy (const Restore& later) const
{
    auto merged = later;

    if (later.keepsEditorSettings)
    {
        merged.defaultEditorHeight = defaultEditorHeight;
        merged.lastEditorHeight = lastEditorHeight;
        merged.colourSchemeBrightness = colourSchemeBrightness;
        merged.channelName = channelName;
        merged.expertMode = expertMode;
        merged.keepsEditorSettings = keepsEditorSettings;
    }

    if (! later.defaultEditorHeight.has_value())
        merged.defaultEditorHeight = defaultEditorHeight;

    if (! later.channelName.has_value())
        merged.channelName = channelName;

    if (! later.stepFactoryPresets.has_value())
        merged.stepFactoryPresets = stepFactoryPresets;

    if (! later.relocationName.has_value())
        merged.relocationName = relocationName;

    return merged;
}

void PendingStateRestore::post (const Restore& restore)
{
    const std::lock_guard<std::mutex> guard (lock);
    const auto merged = waiting.has_value() ? waiting->restore.followedBy (restore) : restore;
    waiting = Ticket { merged, ++numPosted };
}

std::optional<PendingStateRestore::Ticket> PendingStateRestore::peek() const
{
    const std::lock_guard<std::mutex> guard (lock);
    return waiting;
}

void PendingStateRestore::done (const Ticket& ticket)
{
    const std::lock_guard<std::mutex> guard (lock);

    if (waiting.has_value() && waiting->number == ticket.number)
        waiting.reset();
}
