#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

/** Which of the two inputs the standalone app's audio device really feeds. The framework's JACK device
    hands on only the ports that are connected, and the framework's player copies a single one into both
    of the processor's inputs; when the app knows that only one port is connected, the copy is cleared
    here, so a source patched into in_2 alone stays on the right. Plug-in hosts never set it.
*/
class ConnectedInputs
{
public:
    /** Message thread: the ports connected now. Neither or both leave the inputs as they come. */
    void set (bool left, bool right) noexcept
    {
        which.store (left == right ? both : (left ? leftOnly : rightOnly), std::memory_order_relaxed);
    }

    /** Audio thread: clears the channel that holds a copy of the other. */
    void apply (float* left, float* right, int numSamples) const noexcept
    {
        const auto now = which.load (std::memory_order_relaxed);

        if (now == leftOnly)
            juce::FloatVectorOperations::clear (right, numSamples);
        else if (now == rightOnly)
            juce::FloatVectorOperations::clear (left, numSamples);
    }

private:
    static constexpr int both = 0, leftOnly = 1, rightOnly = 2;
    std::atomic<int> which { both };
};
