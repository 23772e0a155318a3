#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>

/** Second-order Butterworth high-pass for the side signal, with coefficients computed in double, run in
    direct form I: the only serial dependency left is one multiply and one subtract per sample, about
    half the critical path of the transposed direct form II the framework's IIRFilter uses. The
    recurrence runs in double at the same latency as float: a low crossover amplifies each rounding by
    up to (rate / crossover)^2, and in double that stays far below the float filter's own noise. Owned
    by the audio thread alone: new coefficients are handed over at block boundaries, so the per-sample
    path takes no lock.
*/
class SafeBassFilter
{
public:
    struct Coefficients
    {
        double b0 = 0.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };

    /** The recurrence unrolled four samples ahead: with g the feed-forward sums, the outputs of four
        samples are y[k] = g[k] + h1 g[k-1] + ... (the impulse response h of the feedback part, from the
        first of the four) + q[k] y[-1] + p[k] y[-2]. All four depend on the two previous outputs only,
        so the serial path is one multiply and two adds per four samples instead of per sample. In double
        the extra rounding of the longer sums stays below 1e-12 of the signal.
    */
    struct LookAhead
    {
        double h1 = 0.0, h2 = 0.0, h3 = 0.0;
        double q[4] {}, p[4] {};
    };

    /** The last two inputs, and the last two outputs divided by b0 (see step()). */
    struct State
    {
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    };

    /** The Butterworth high-pass (bilinear transform, Q = 1/sqrt 2) for this crossover (Hz) and sample rate
        (Hz), in double: near 10 Hz at high rates a1 and a2 differ from -2 and 1 by less than a float's step,
        and rounded to float they move the response by decibels. b1 = -2 b0 and b2 = b0 exactly. */
    static Coefficients makeCoefficients (double sampleRate, double crossoverHz) noexcept;

    /** Takes new coefficients; the running state stays: the same inputs, and the same outputs. */
    void setCoefficients (const Coefficients& newCoefficients) noexcept;

    void reset() noexcept { state = {}; }

    /** A non-finite sample leaves the state non-finite; this puts it back to rest so output recovers. */
    void resetIfNotFinite() noexcept
    {
        if (! (std::isfinite (state.x1) && std::isfinite (state.x2) && std::isfinite (state.y1) && std::isfinite (state.y2)))
            reset();
    }

    /** Outputs (over b0, near 1 for any crossover in range) below this are zeroed between runs: far
        under anything audible, and far enough above the double range's subnormals that a decaying tail
        never reaches them within one run.
    */
    static constexpr double settledOutput = 1.0e-20;

    /** Puts outputs that have decayed to nearly nothing to rest, so silence after a signal, or a steady
        offset, never leaves the recurrence on subnormal numbers, which the processor cannot afford.
    */
    void settleTinyOutputs() noexcept
    {
        if (std::abs (state.y1) < settledOutput)
            state.y1 = 0.0;
        if (std::abs (state.y2) < settledOutput)
            state.y2 = 0.0;
    }

    /** One sample, returning the output divided by b0: the caller multiplies b0 back in with a gain it
        applies anyway. A high-pass has b1 = -2 b0 and b2 = b0 exactly, so the recurrence for y / b0 is
        (x[n] - 2 x[n-1] + x[n-2]) - a1 y[n-1] - a2 y[n-2]: no product in the feed-forward part, and the
        sum of float inputs in double is exact. The y[n-1] term comes last, so only it waits on the
        previous output.
    */
    static float step (const Coefficients& c, State& s, float in) noexcept
    {
        const double x = in;
        const auto out = (((x + s.x2) - (s.x1 + s.x1)) - c.a2 * s.y2) - c.a1 * s.y1;
        s.x2 = s.x1;
        s.x1 = x;
        s.y2 = s.y1;
        s.y1 = out;
        return (float) out;
    }

    /** The output divided by b0 (getGain()); see step(). */
    float processSampleWithoutGain (float in) noexcept { return step (coefficients, state, in); }

    /** b0, the factor step()'s results are missing. */
    double getGain() const noexcept { return coefficients.b0; }

    const Coefficients& getCoefficients() const noexcept { return coefficients; }
    const LookAhead& getLookAhead() const noexcept { return lookAhead; }
    State& getState() noexcept { return state; }
    const State& getState() const noexcept { return state; }

private:
    Coefficients coefficients;
    LookAhead lookAhead;
    State state;
};
