#include "IntegratedLoudness.h"

#include "LoudnessMeter.h"
#include "RenderError.h"

#include <ebur128.h>

#include <cmath>

IntegratedLoudness::IntegratedLoudness (double sampleRate)
{
    if (sampleRate < LoudnessMeter::lowestSampleRate)
        return;

    const std::lock_guard<std::mutex> lock (LoudnessMeter::getLibraryLock());
    state = ebur128_init (2, (unsigned long) std::lround (sampleRate), EBUR128_MODE_I);

    if (state == nullptr)
        throw RenderError ("cannot measure the loudness at " + juce::String (sampleRate) + " Hz");
}

IntegratedLoudness::~IntegratedLoudness()
{
    if (state != nullptr)
        ebur128_destroy (&state);
}

void IntegratedLoudness::addBlock (const float* left, const float* right, int num)
{
    if (state == nullptr)
        return;

    LoudnessMeter::interleave (left, right, num, false, frames);
    ebur128_add_frames_float (state, frames.data(), (size_t) num);
}

std::optional<double> IntegratedLoudness::getLufs() const
{
    if (state == nullptr)
        return {};

    double lufs = 0.0;
    const std::lock_guard<std::mutex> lock (LoudnessMeter::getLibraryLock());
    if (ebur128_loudness_global (state, &lufs) != EBUR128_SUCCESS || ! std::isfinite (lufs))
        return {};
    return lufs;
}
