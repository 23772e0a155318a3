#include "CorrelationAverage.h"

#include <algorithm>
#include <cmath>

void CorrelationAverage::add (const SignalScopeFeed::Sums& sums, double sampleRate) noexcept
{
    if (sums.frames <= 0 || ! (sampleRate > 0.0))
        return;

    // The sums arrive a few times a second: fading them by the frames they cover keeps the time
    // constant whatever the block size and the reader's pace.
    const auto fade = std::exp (-(double) sums.frames / (timeConstantSeconds * sampleRate));
    ll = ll * fade + sums.ll;
    rr = rr * fade + sums.rr;
    lr = lr * fade + sums.lr;
    frames = frames * fade + (double) sums.frames;
}

std::optional<float> CorrelationAverage::getCorrelation() const noexcept
{
    if (frames <= 0.0 || ll / frames < silentMeanSquare || rr / frames < silentMeanSquare)
        return {};

    return (float) std::clamp (lr / std::sqrt (ll * rr), -1.0, 1.0);
}
