#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#if defined(__SSE2__)
#include <xmmintrin.h>

/** Flush-to-zero and denormals-are-zero for the block, as juce::ScopedNoDenormals, but the control
    register is only written when the host has not set them already: each write stalls the pipeline.
*/
class ScopedFlushDenormals
{
public:
    ScopedFlushDenormals() noexcept
        : saved (_mm_getcsr())
    {
        if ((saved & flushBits) != flushBits)
            _mm_setcsr (saved | flushBits);
    }

    ~ScopedFlushDenormals()
    {
        if ((saved & flushBits) != flushBits)
            _mm_setcsr (saved);
    }

private:
    static constexpr unsigned int flushBits = 0x8040;
    const unsigned int saved;
};
#else
using ScopedFlushDenormals = juce::ScopedNoDenormals;
#endif
