#include "SafeBassFilter.h"

SafeBassFilter::Coefficients SafeBassFilter::makeCoefficients (double sampleRate, double crossoverHz) noexcept
{
    const auto n = std::tan (juce::MathConstants<double>::pi * crossoverHz / sampleRate);
    const auto nSquared = n * n;
    const auto c1 = 1.0 / (1.0 + juce::MathConstants<double>::sqrt2 * n + nSquared);
    return { c1, -2.0 * c1, c1, 2.0 * c1 * (nSquared - 1.0), c1 * (1.0 - juce::MathConstants<double>::sqrt2 * n + nSquared) };
}

void SafeBassFilter::setCoefficients (const Coefficients& newCoefficients) noexcept
{
    const auto oldGain = coefficients.b0;
    coefficients = newCoefficients;

    // The state holds outputs over b0: rescaled, the filter goes on from the same outputs.
    if (oldGain != 0.0 && coefficients.b0 != 0.0 && oldGain != coefficients.b0)
    {
        state.y1 *= oldGain / coefficients.b0;
        state.y2 *= oldGain / coefficients.b0;
    }

    // The recurrence relies on the high-pass's feed-forward shape (see step()); makeCoefficients() has it
    // exactly, as doubling is exact.
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
