#pragma once

#include "SignalScopeFeed.h"

#include <optional>

/**
    The phase correlation as a hardware meter shows it: the sums L x L, R x R and L x R, each fading
    with a time constant of 300 ms, give lr / sqrt (ll x rr), from -1 (opposite channels) through 0
    (unrelated) to +1 (identical). There is no reading while either channel is silent.
*/
class CorrelationAverage
{
public:
    static constexpr double timeConstantSeconds = 0.3;
    /** Mean square below which a channel counts as silent: about -70 dBFS RMS. */
    static constexpr double silentMeanSquare = 1.0e-7;

    /** Takes in the sums of the frames since the last call. */
    void add (const SignalScopeFeed::Sums& sums, double sampleRate) noexcept;

    /** From -1 to +1, or nothing while either channel is silent. */
    std::optional<float> getCorrelation() const noexcept;

    void reset() noexcept { *this = {}; }

private:
    double ll = 0.0, rr = 0.0, lr = 0.0, frames = 0.0;
};
