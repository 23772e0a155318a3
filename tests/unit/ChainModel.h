#pragma once

// A plain, step-by-step model of the stereo chain, written from the description of the effect rather
// than from the implementation: every sample goes through each stage in turn, in single precision.

#include <algorithm>
#include <array>
#include <cmath>

namespace chain_model
{
enum Index
{
    Bypass,
    StereoWidth,
    Pan,
    InputGain,
    OutputGain,
    SwapLR,
    PhaseFlip,
    Mono,
    MuteAll,
    MuteMid,
    MuteSide,
    PanCurve,
    PanLaw,
    MsMode,
    PanMode,
    SafeBassFreq,
    SafeBass,
    NumParameters
};

using Values = std::array<float, NumParameters>;

inline Values defaults()
{
    return { 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.1f, 0.0f, 0.0f, 0.1f, 0.286f, 0.0f };
}

/** Butterworth high-pass from the textbook formulas; runs like a transposed direct form II biquad that
    snaps outputs below 1e-8 to zero, the framework's own filter. Sample sets the precision of the state
    and arithmetic, so the same recurrence in double shows how far the float one strays by rounding.
*/
template <typename Sample>
struct BasicHighPass
{
    Sample b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0, s1 = 0, s2 = 0;
    // The last two inputs and outputs: the state any other form of the filter would hold.
    Sample x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    void design (double sampleRate, double hz)
    {
        const double n = std::tan (3.14159265358979323846 * hz / sampleRate);
        const double inverseQ = 1.0 / (1.0 / std::sqrt (2.0)); // Q = 1/sqrt(2), Butterworth
        const double q = 1.0 / (1.0 + inverseQ * n + n * n);
        setCoefficients ({ q, -2.0 * q, q, 2.0 * q * (n * n - 1.0), q * (1.0 - inverseQ * n + n * n) });
    }

    /** b0, b1, b2, a1, a2, held in Sample: the float model rounds them as the framework's filter does. */
    void setCoefficients (const std::array<double, 5>& c)
    {
        b0 = (Sample) c[0];
        b1 = (Sample) c[1];
        b2 = (Sample) c[2];
        a1 = (Sample) c[3];
        a2 = (Sample) c[4];
    }

    /** Rebuilds the transposed state from the input and output history, as if the current coefficients
        had always been in place. Forms differ in what they carry over a change of coefficients; this
        keeps such a change from reading as rounding.
    */
    void restateFromHistory()
    {
        s1 = b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        s2 = b2 * x1 - a2 * y1;
    }

    float process (float input)
    {
        const Sample x = input;
        fedNonFinite = fedNonFinite || ! std::isfinite (x);
        Sample y = b0 * x + s1;
        if (! (y < Sample (-1.0e-8) || y > Sample (1.0e-8)))
            y = 0;
        s1 = b1 * x - a1 * y + s2;
        s2 = b2 * x - a2 * y;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return (float) y;
    }

    /** The recovery rule: a filter fed a non-finite sample goes back to rest at the end of the block. The
        snap above would turn a NaN output into zero and leave a finite but wrecked state, so what was fed
        is what counts.
    */
    void resetIfNotFinite()
    {
        if (fedNonFinite || ! (std::isfinite (s1) && std::isfinite (s2) && std::isfinite (x1) && std::isfinite (x2) && std::isfinite (y1) && std::isfinite (y2)))
            s1 = s2 = x1 = x2 = y1 = y2 = 0;
        fedNonFinite = false;
    }

    bool fedNonFinite = false;
};

using HighPass = BasicHighPass<float>;

struct Peaks
{
    float inL = 0, inR = 0, outL = 0, outR = 0;
};

template <typename FilterSample>
class BasicModel
{
public:
    explicit BasicModel (double rate) : sampleRate (rate) {}

    /** Processes one block with the given values, as the processor does after a block start. */
    Peaks processBlock (float* left, float* right, int numSamples, const Values& v)
    {
        if (! filterReady)
        {
            filter.design (sampleRate, 10.0 + 490.0 * (double) v[SafeBassFreq]);
            filterReady = true;
        }

        const auto dbToGain = [] (float x)
        { return std::pow (10.0f, (24.0f * x - 12.0f) / 20.0f); };
        const float inGain = dbToGain (v[InputGain]);
        const float outGain = dbToGain (v[OutputGain]);
        const bool bypass = v[Bypass] > 0.5f, muteAll = v[MuteAll] > 0.5f, muteMid = v[MuteMid] > 0.5f;
        const bool muteSide = v[MuteSide] > 0.5f, swap = v[SwapLR] > 0.5f, flip = v[PhaseFlip] > 0.5f;
        const bool mono = v[Mono] > 0.5f;
        const bool safeBass = v[SafeBass] > 0.5f && v[SafeBassFreq] > 0.0f;
        const float W = 2.0f * v[StereoWidth];
        const float P = 2.0f * v[Pan] - 1.0f;

        Peaks peaks;

        for (int i = 0; i < numSamples; ++i)
        {
            float l = left[i], r = right[i];

            if (! bypass)
            {
                l *= inGain;
                r *= inGain;
            }

            if (! bypass && ! muteAll)
            {
                if (swap && ! mono)
                    std::swap (l, r);
                if (flip)
                {
                    l = -l;
                    r = -r;
                }
                if (mono)
                    l = r = (l + r) * 0.5f;
            }

            peaks.inL = std::max (peaks.inL, std::abs (l));
            peaks.inR = std::max (peaks.inR, std::abs (r));

            if (! bypass)
            {
                if (muteAll)
                    l = r = 0.0f;

                float M = (l + r) * 0.5f;
                float S = (r - l) * 0.5f;
                const float Wp = v[PanMode] == 0.0f ? W * (1.0f - std::abs (P)) : W;
                S *= Wp;

                if (v[MsMode] == 0.1f)
                    M *= Wp > 1.0f ? 1.0f / Wp : (Wp < 1.0f ? 1.5f - 0.5f * Wp : 1.0f);

                l = M - S;
                r = M + S;

                const float a = std::max (0.0f, 1.0f - std::abs (P));
                const float G = v[PanCurve] == 0.0f   ? a
                                : v[PanCurve] == 0.1f ? std::sqrt (a)
                                                      : std::sin (a * 3.14159265f / 4.0f);
                if (P < 0.0f)
                    r *= G;
                else if (P > 0.0f)
                    l *= G;

                const float k = v[PanLaw] == 0.1f ? 0.5f : (v[PanLaw] == 0.2f ? 1.0f : 0.0f);
                const float b = 1.0f + k * std::abs (P);
                if (P < 0.0f)
                    l *= b;
                else if (P > 0.0f)
                    r *= b;

                M = (l + r) * 0.5f;
                S = (r - l) * 0.5f;
                if (muteMid)
                    M = 0.0f;
                if (muteSide)
                    S = 0.0f;
                if (safeBass && ! muteSide)
                    S = filter.process (S);

                l = (M - S) * outGain;
                r = (M + S) * outGain;
            }

            peaks.outL = std::max (peaks.outL, std::abs (l));
            peaks.outR = std::max (peaks.outR, std::abs (r));
            left[i] = l;
            right[i] = r;
        }

        if (! bypass && safeBass && ! muteSide)
            filter.resetIfNotFinite();

        return peaks;
    }

    /** Coefficients handed over as they are, the state kept. */
    void setFilterCoefficients (const std::array<double, 5>& c)
    {
        filter.setCoefficients (c);
        filterReady = true;
    }

    BasicHighPass<FilterSample>& getFilter() { return filter; }

    /** A new crossover, as a change of "SafeBassFreq" through the host brings; the state stays. */
    void setCrossover (float normalised)
    {
        filter.design (sampleRate, 10.0 + 490.0 * (double) normalised);
        filterReady = true;
    }

private:
    double sampleRate;
    BasicHighPass<FilterSample> filter;
    bool filterReady = false;
};

using Model = BasicModel<float>;
} // namespace chain_model
