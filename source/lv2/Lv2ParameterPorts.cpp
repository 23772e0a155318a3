#include "Lv2ParameterPorts.h"

#include "processor/WydenzaAudioProcessor.h"

#include <cmath>
#include <limits>

namespace
{
constexpr auto none = std::numeric_limits<float>::quiet_NaN();
}

Lv2ParameterPorts::Lv2ParameterPorts (WydenzaAudioProcessor& processorToControl)
    : processor (processorToControl),
      numParameters (processorToControl.getParameterSet().size()),
      buffers (new std::atomic<const float*>[(size_t) numParameters]),
      seen (new std::atomic<float>[(size_t) numParameters]),
      sentByUi (new std::atomic<float>[(size_t) numParameters])
{
    for (size_t i = 0; i < (size_t) numParameters; ++i)
    {
        buffers[i].store (nullptr, std::memory_order_relaxed);
        // A host's ports start at the declared defaults, which the parameters hold too.
        seen[i].store (processor.getParameterSet().getByIndex ((int) i)->defaultValue, std::memory_order_relaxed);
        sentByUi[i].store (none, std::memory_order_relaxed);
    }
}

void Lv2ParameterPorts::connect (int parameterIndex, const float* buffer) noexcept
{
    if (juce::isPositiveAndBelow (parameterIndex, numParameters))
        buffers[(size_t) parameterIndex].store (buffer, std::memory_order_relaxed);
}

float Lv2ParameterPorts::currentValue (int parameterIndex) const noexcept
{
    return processor.getParameterSet().getValue (parameterIndex);
}

void Lv2ParameterPorts::applyHostChanges() noexcept
{
    for (int i = 0; i < numParameters; ++i)
    {
        const auto* buffer = buffers[(size_t) i].load (std::memory_order_relaxed);

        if (buffer == nullptr)
            continue;

        const auto value = *buffer;

        // Plain loads and stores: a locked exchange per port would cost more than the rest of a short
        // block. A save running beside a block may take the same change too, which sets the same value.
        if (isSame (value, seen[(size_t) i].load (std::memory_order_relaxed)) || ! std::isfinite (value))
            continue;

        seen[(size_t) i].store (value, std::memory_order_relaxed);

        if (isSame (value, sentByUi[(size_t) i].exchange (none, std::memory_order_relaxed)))
            continue;

        const auto clamped = juce::jlimit (0.0f, 1.0f, value);

        // The host's own value: no listener to tell (that would take the listener list's lock on the audio
        // thread); the editor learns of it from the processor's record of changed parameters.
        if (clamped != currentValue (i))
            processor.setParameter (i, clamped);
    }
}

void Lv2ParameterPorts::takePortValuesAsSeen() noexcept
{
    for (size_t i = 0; i < (size_t) numParameters; ++i)
        if (const auto* buffer = buffers[i].load (std::memory_order_relaxed))
            seen[i].store (*buffer, std::memory_order_relaxed);
}
