#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>

/** Second-order Butterworth high-pass for the side signal, computed exactly as the framework's
    IIRFilter computes it (transposed direct form II, tiny outputs snapped to zero), but owned by the
    audio thread alone: new coefficients are handed over at block boundaries, so the per-sample path
    takes no lock.
*/
class SafeBassFilter
{
public:
    /** Coefficients of the framework's Butterworth high-pass for this crossover (Hz) and sample rate (Hz). */
    static juce::IIRCoefficients makeCoefficients (double sampleRate, double crossoverHz) noexcept;

    /** Takes new coefficients; the running state stays. */
    void setCoefficients (const juce::IIRCoefficients& newCoefficients) noexcept;

    void reset() noexcept { v1 = v2 = 0.0f; }

    /** A non-finite sample leaves the state non-finite; this puts it back to rest so output recovers. */
    void resetIfNotFinite() noexcept
    {
        if (! (std::isfinite (v1) && std::isfinite (v2)))
            reset();
    }

    float processSample (float in) noexcept
    {
        auto out = c[0] * in + v1;

        if (! (out < -1.0e-8f || out > 1.0e-8f))
            out = 0.0f;

        v1 = c[1] * in - c[3] * out + v2;
        v2 = c[2] * in - c[4] * out;
        return out;
    }

private:
    float c[5] {};
    float v1 = 0.0f, v2 = 0.0f;
};
