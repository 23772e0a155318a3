#include "SafeBassFilter.h"

juce::IIRCoefficients SafeBassFilter::makeCoefficients (double sampleRate, double crossoverHz) noexcept
{
    return juce::IIRCoefficients::makeHighPass (sampleRate, crossoverHz);
}

void SafeBassFilter::setCoefficients (const juce::IIRCoefficients& newCoefficients) noexcept
{
    // The framework normalises a0 to 1 and stores b0, b1, b2, a1, a2 in float; those exact values are used.
    const auto* c = newCoefficients.coefficients;
    coefficients = { (double) c[0], (double) c[1], (double) c[2], (double) c[3], (double) c[4] };
}
