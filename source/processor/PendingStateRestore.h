#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <mutex>
#include <optional>

/**
    A state restore waiting for the message thread. A host may restore the state on any thread; the
    parameters take their values at once, but the current preset, its name, the undo step and the editor's
    values belong to the message thread, which carries the restore out when it gets to it. Until then the
    state and the program name the host reads come from here, so a host that runs no message loop still
    gets back what it restored. The audio thread never touches it.
*/
class PendingStateRestore
{
public:
    /** What the state holds besides the parameter values. */
    struct Settings
    {
        int defaultEditorHeight = 0;
        int lastEditorHeight = 0;
        float colourSchemeBrightness = 0.0f;
        juce::String programName;
        juce::String channelName;
        double expertMode = 0.0;
        bool stepFactoryPresets = true;
    };

    /** What one restore sets; an absent value keeps what the processor has. */
    struct Restore
    {
        std::optional<int> defaultEditorHeight;
        /** Absent: the default editor height. */
        std::optional<int> lastEditorHeight;
        float colourSchemeBrightness = 0.0f;
        juce::String programName;
        std::optional<juce::String> channelName;
        double expertMode = 0.0;
        std::optional<bool> stepFactoryPresets;
        /** The name the current preset is looked up by in its list afterwards, when it is to be. */
        std::optional<juce::String> relocationName;
        /** A state without any editor setting (a host's preset) leaves the editor's size, mode, scheme and
            channel name as the user set them. */
        bool keepsEditorSettings = false;

        /** The settings after this restore. */
        void applyTo (Settings& settings) const;

        /** One restore with the effect of this one followed by a later one (but that a later name found in
            no list leaves the index where this one had put it).
        */
        Restore followedBy (const Restore& later) const;
    };

    struct Ticket
    {
        Restore restore;
        std::uint64_t number = 0;
    };

    PendingStateRestore() = default;

    /** Keeps a restore for the message thread; one still waiting is merged with it. */
    void post (const Restore& restore);

    /** The restore waiting, if any. */
    std::optional<Ticket> peek() const;

    /** The restore of this ticket was carried out: unless a newer one came meanwhile, nothing waits now. */
    void done (const Ticket& ticket);

private:
    mutable std::mutex lock;
    std::optional<Ticket> waiting;
    std::uint64_t numPosted = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PendingStateRestore)
};
