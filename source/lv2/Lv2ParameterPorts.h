#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

class WydenzaAudioProcessor;

/** The parameters as LV2 control input ports. The host owns a port's value: every value it writes reaches
    the parameter exactly, before the block it was written for is processed. A value the plug-in changes
    itself (its editor, undo, a preset chosen in the editor) is handed to the host by the UI and comes back
    through the port; that echo is recognised, so that it cannot undo a newer edit made meanwhile.
*/
class Lv2ParameterPorts
{
public:
    explicit Lv2ParameterPorts (WydenzaAudioProcessor& processorToControl);

    int size() const noexcept { return numParameters; }

    /** Any thread the host connects ports from; nullptr disconnects. */
    void connect (int parameterIndex, const float* buffer) noexcept;

    /** Audio thread (and save): takes over each value the host changed since it was last seen. */
    void applyHostChanges() noexcept;

    /** After a restore the plug-in's values are the restored ones; the ports' present values are taken as
        seen, so that only what the host writes afterwards overrides them. */
    void takePortValuesAsSeen() noexcept;

    /** Message thread: calls send (parameterIndex, value) for each value the host's port lacks. */
    template <typename Send>
    void forEachValueTheHostLacks (Send&& send)
    {
        for (int i = 0; i < numParameters; ++i)
        {
            const auto value = currentValue (i);

            if (! std::isfinite (value) || isSame (value, seen[(size_t) i].load (std::memory_order_relaxed))
                || isSame (value, sentByUi[(size_t) i].load (std::memory_order_relaxed)))
                continue;

            sentByUi[(size_t) i].store (value, std::memory_order_relaxed);
            send (i, value);
        }
    }

private:
    float currentValue (int parameterIndex) const noexcept;
    static bool isSame (float a, float b) noexcept { return a == b; }

    WydenzaAudioProcessor& processor;
    const int numParameters;
    std::unique_ptr<std::atomic<const float*>[]> buffers;
    std::unique_ptr<std::atomic<float>[]> seen;
    std::unique_ptr<std::atomic<float>[]> sentByUi;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Lv2ParameterPorts)
};
