#include "SafeBassFilter.h"

juce::IIRCoefficients SafeBassFilter::makeCoefficients (double sampleRate, double crossoverHz) noexcept
{
    return juce::IIRCoefficients::makeHighPass (sampleRate, crossoverHz);
}

void SafeBassFilter::setCoefficients (const juce::IIRCoefficients& newCoefficients) noexcept
{
    for (int i = 0; i < 5; ++i)
        c[i] = newCoefficients.coefficients[i];
}
