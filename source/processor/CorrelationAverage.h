#pragma once

#include "SignalScopeFeed.h"

#include <optional>

/**
    The phase correlation as a hardware meter shows it: the sums L x L, R x R and L x R, each fading
    with a time constant of 300 ms, give lr / sqrt (ll x rr), from -1 (opposite channels) through 0
    (unrelated) to +1 (identical). There is no reading while either channel is silent, judged on the
    last 50 ms so that the reading goes soon after the music stops.
*/
class CorrelationAverage
{
public:
    static constexpr double timeConstantSeconds = 0.3;
    static constexpr double silenceTimeConstantSeconds = 0.05;
    /** Mean square below which a channel counts as silent: about -70 dBFS RMS. */
    static constexpr double silentMeanSquare = 1.0e-7;

    /** Takes in the sums of the frames since the last call. */
    void add (const SignalScopeFeed::Sums& sums, double sampleRate) noexcept;

    /** From -1 to +1, or nothing while either channel is silent. */
    std::optional<float> getCorrelation() const noexcept;

    void reset() noexcept { *this = {}; }

private:
    struct FadingSums
    {
        double ll = 0.0, rr = 0.0, lr = 0.0, frames = 0.0;

        void add (const SignalScopeFeed::Sums& sums, double fade) noexcept;
        bool eitherChannelSilent() const noexcept;
    };

    FadingSums reading, recent;
};
