#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>

TruePeakMeter::TruePeakMeter (double sampleRate)
    : factor (sampleRate < 96000.0 ? 4 : (sampleRate < 192000.0 ? 2 : 1))
{
    if (factor == 1)
        return;

    // A low-pass at the original Nyquist frequency on the oversampled grid, split into its phases: phase
    // p gives the point p / factor of a sample after the oldest-but-centre sample of its taps.
    const auto numTaps = tapsPerPhase * factor;
    const auto centre = 0.5 * (numTaps - 1);
    phases.assign ((size_t) factor, std::vector<float> ((size_t) tapsPerPhase));

    for (int j = 0; j < numTaps; ++j)
    {
        const auto m = (j - centre) * juce::MathConstants<double>::pi / factor;
        const auto sinc = std::abs (m) < 1.0e-12 ? 1.0 : std::sin (m) / m;
        const auto hann = 0.5 - 0.5 * std::cos (juce::MathConstants<double>::twoPi * (j + 0.5) / numTaps);
        // Reversed within the phase: the first tap multiplies the oldest sample.
        phases[(size_t) (j % factor)][(size_t) (tapsPerPhase - 1 - j / factor)] = (float) (sinc * hann);
    }

    history.assign ((size_t) (tapsPerPhase - 1), 0.0f);
}

void TruePeakMeter::addBlock (const float* samples, int num)
{
    if (num <= 0)
        return;

    // The framework's vector search: a loop of std::max stays scalar, since it must keep NaN's ordering.
    const auto largestOf = [] (const float* values, int count)
    {
        const auto range = juce::FloatVectorOperations::findMinAndMax (values, count);
        return std::max (range.getEnd(), -range.getStart());
    };

    auto largest = std::max (peak, largestOf (samples, num));

    if (factor > 1)
    {
        const auto keep = (size_t) (tapsPerPhase - 1);
        history.resize (keep + (size_t) num);
        std::copy (samples, samples + num, history.begin() + (std::ptrdiff_t) keep);
        sum.resize ((size_t) num);

        const auto* x = history.data();
        auto* y = sum.data();

        for (const auto& taps : phases)
        {
            std::fill (sum.begin(), sum.end(), 0.0f);

            for (int k = 0; k < tapsPerPhase; ++k)
            {
                const auto h = taps[(size_t) k];
                const auto* from = x + k;
                for (int i = 0; i < num; ++i)
                    y[i] += h * from[i];
            }

            largest = std::max (largest, largestOf (y, num));
        }

        std::copy (history.end() - (std::ptrdiff_t) keep, history.end(), history.begin());
        history.resize (keep);
    }

    peak = largest;
}
