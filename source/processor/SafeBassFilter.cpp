#include "SafeBassFilter.h"

juce::IIRCoefficients SafeBassFilter::makeCoefficients (double sampleRate, double crossoverHz) noexcept
{
    return juce::IIRCoefficients::makeHighPass (sampleRate, crossoverHz);
}

void SafeBassFilter::setCoefficients (const juce::IIRCoefficients& newCoefficients) noexcept
{
    // The framework normalises a0 to 1 and stores b0, b1, b2, a1, a2 in float; those exact values are used.
    const auto* c = newCoefficients.coefficients;
    const auto oldGain = coefficients.b0;
    coefficients = { (double) c[0], (double) c[1], (double) c[2], (double) c[3], (double) c[4] };

    // The state holds outputs over b0: rescaled, the filter goes on from the same outputs.
    if (oldGain != 0.0 && coefficients.b0 != 0.0 && oldGain != coefficients.b0)
    {
        state.y1 *= oldGain / coefficients.b0;
        state.y2 *= oldGain / coefficients.b0;
    }

    // The recurrence relies on the high-pass's feed-forward shape (see step()); makeCoefficients() has it
    // exactly, as doubling a float is exact.
    jassert (coefficients.b1 == -2.0 * coefficients.b0 && coefficients.b2 == coefficients.b0);

    const auto a1 = coefficients.a1, a2 = coefficients.a2;
    auto& la = lookAhead;
    la.h1 = -a1;
    la.h2 = -a1 * la.h1 - a2;
    la.h3 = -a1 * la.h2 - a2 * la.h1;

    // Weights of y[-1] and y[-2] in each of the next four outputs, by the recurrence itself.
    double qBefore = 0.0, pBefore = 1.0, q = 1.0, p = 0.0;
    for (int k = 0; k < 4; ++k)
    {
        const auto qNext = -a1 * q - a2 * qBefore;
        const auto pNext = -a1 * p - a2 * pBefore;
        qBefore = q;
        pBefore = p;
        q = la.q[k] = qNext;
        p = la.p[k] = pNext;
    }
}
