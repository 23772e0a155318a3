#include "CorrelationAverage.h"

#include <algorithm>
#include <cmath>

void CorrelationAverage::FadingSums::add (const SignalScopeFeed::Sums& sums, double fade) noexcept
{
    ll = ll * fade + sums.ll;
    rr = rr * fade + sums.rr;
    lr = lr * fade + sums.lr;
    frames = frames * fade + (double) sums.frames;
}

bool CorrelationAverage::FadingSums::eitherChannelSilent() const noexcept
{
    return ! (frames > 0.0 && ll / frames >= silentMeanSquare && rr / frames >= silentMeanSquare);
}

void CorrelationAverage::add (const SignalScopeFeed::Sums& sums, double sampleRate) noexcept
{
    if (sums.frames <= 0 || ! (sampleRate > 0.0))
        return;

    // Fading by the frames the sums cover keeps the time constants whatever the block size and the
    // reader's pace.
    const auto seconds = (double) sums.frames / sampleRate;
    reading.add (sums, std::exp (-seconds / timeConstantSeconds));
    recent.add (sums, std::exp (-seconds / silenceTimeConstantSeconds));
}

std::optional<float> CorrelationAverage::getCorrelation() const noexcept
{
    if (recent.eitherChannelSilent() || reading.eitherChannelSilent())
        return {};

    return (float) std::clamp (reading.lr / std::sqrt (reading.ll * reading.rr), -1.0, 1.0);
}
