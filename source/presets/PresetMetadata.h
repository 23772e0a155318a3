#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The informational properties written into a preset when it is saved: plug-in version, type, time of
    saving, host, channel configuration and facts about the machine and its user.
*/
class PresetMetadata
{
public:
    /** Sets, without recording for undo and in this order, "PluginVersion", "PresetType" = "User",
        "LastSaved", "Host", "InOutChannelConfig", "OS", "Language", "Region", "User" and "Device".
    */
    static void addTo (juce::ValueTree& tree, const juce::AudioProcessor& processor, juce::Time saveTime);

    /** Local date and time on the 12-hour clock, e.g. "6 Dec 2026 1:05:09pm". */
    static juce::String formatLastSaved (juce::Time time);

    /** "<vendor> <clock>MHz <cores> CPU cores / <memory>MB Memory". */
    static juce::String describeDevice();

    /** Total physical memory in bytes as the operating system reports it, or 0 when unknown. */
    static juce::int64 getTotalPhysicalMemoryBytes();

private:
    PresetMetadata() = delete;
};
