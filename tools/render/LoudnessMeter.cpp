#include "LoudnessMeter.h"

#include "RenderError.h"

#include <ebur128.h>

#include <cmath>

namespace
{
ebur128_state* makeState (unsigned int channels, double sampleRate, int mode)
{
    if (sampleRate < LoudnessMeter::lowestSampleRate)
        return nullptr;

    const std::lock_guard<std::mutex> lock (LoudnessMeter::getLibraryLock());
    auto* state = ebur128_init (channels, (unsigned long) std::lround (sampleRate), mode);
    if (state == nullptr)
        throw RenderError ("cannot measure the loudness at " + juce::String (sampleRate) + " Hz");
    return state;
}

/** A loudness the library gives; silence or a window not yet filled reads as minus infinity. */
std::optional<double> reading (int error, double lufs)
{
    if (error != EBUR128_SUCCESS || ! std::isfinite (lufs))
        return {};
    return lufs;
}

std::optional<double> largest (const std::optional<double>& a, const std::optional<double>& b)
{
    if (! a.has_value())
        return b;
    return b.has_value() && *b > *a ? b : a;
}
} // namespace

LoudnessMeter::LoudnessMeter (double sampleRate)
    : stereo (makeState (2, sampleRate, EBUR128_MODE_I | EBUR128_MODE_LRA)),
      mono (makeState (1, sampleRate, EBUR128_MODE_I)),
      // The library's own length of 10 ms, which its window of 10 ms reads exactly.
      hop (juce::jmax ((juce::int64) 1, (juce::int64) std::lround (sampleRate) * 10 / 1000)),
      untilReading (hop)
{
    if (stereo != nullptr)
    {
        truePeakLeft = std::make_unique<TruePeakMeter> (sampleRate);
        truePeakRight = std::make_unique<TruePeakMeter> (sampleRate);
    }

    // The fold-down is played on both channels: one channel counted twice.
    if (mono != nullptr)
        ebur128_set_channel (mono, 0, EBUR128_DUAL_MONO);
}

std::mutex& LoudnessMeter::getLibraryLock()
{
    static std::mutex lock;
    return lock;
}

LoudnessMeter::~LoudnessMeter()
{
    if (stereo != nullptr)
        ebur128_destroy (&stereo);
    if (mono != nullptr)
        ebur128_destroy (&mono);
}

void LoudnessMeter::interleave (const float* left, const float* right, int num, bool toMono, std::vector<float>& frames)
{
    const auto finite = [] (float x)
    { return std::isfinite (x) ? x : 0.0f; };

    frames.resize ((size_t) num * (toMono ? 1 : 2));

    if (toMono)
        for (int i = 0; i < num; ++i)
            frames[(size_t) i] = 0.5f * finite (left[i]) + 0.5f * finite (right[i]);
    else
        for (int i = 0; i < num; ++i)
        {
            frames[(size_t) (2 * i)] = finite (left[i]);
            frames[(size_t) (2 * i + 1)] = finite (right[i]);
        }
}

void LoudnessMeter::addBlock (const float* left, const float* right, int num)
{
    if (stereo == nullptr)
        return;

    while (num > 0)
    {
        const auto part = (int) juce::jmin ((juce::int64) num, untilReading);
        feed (left, right, part);
        left += part;
        right += part;
        num -= part;
        untilReading -= part;

        if (untilReading == 0)
        {
            readWindows();
            untilReading = hop;
        }
    }
}

void LoudnessMeter::feed (const float* left, const float* right, int num)
{
    interleave (left, right, num, false, stereoFrames);
    interleave (left, right, num, true, monoFrames);
    ebur128_add_frames_float (stereo, stereoFrames.data(), (size_t) num);
    ebur128_add_frames_float (mono, monoFrames.data(), (size_t) num);

    finiteLeft.resize ((size_t) num);
    finiteRight.resize ((size_t) num);
    for (int i = 0; i < num; ++i)
    {
        finiteLeft[(size_t) i] = stereoFrames[(size_t) (2 * i)];
        finiteRight[(size_t) i] = stereoFrames[(size_t) (2 * i + 1)];
    }
    truePeakLeft->addBlock (finiteLeft.data(), num);
    truePeakRight->addBlock (finiteRight.data(), num);
}

void LoudnessMeter::readWindows()
{
    // The library's loudness is -0.691 dB plus the weighted energy in dB; silence reads minus infinity.
    const auto toEnergy = [] (double lufs)
    { return std::isfinite (lufs) ? std::pow (10.0, (lufs + 0.691) / 10.0) : 0.0; };
    const auto toLoudness = [] (double energy) -> std::optional<double>
    {
        if (! (energy > 0.0))
            return {};
        return -0.691 + 10.0 * std::log10 (energy);
    };

    double lufs = 0.0;
    const auto error = ebur128_loudness_window (stereo, 10, &lufs);
    hopEnergies[numHops++ % hopsPerShortTerm] = error == EBUR128_SUCCESS ? toEnergy (lufs) : 0.0;

    // Summed afresh each time rather than kept as a running sum, which would drift and leave a residue
    // after a loud passage; 340 additions per 10 ms cost nothing next to the filtering.
    const auto meanOfLast = [this] (size_t count)
    {
        auto sum = 0.0;
        for (size_t i = numHops - count; i < numHops; ++i)
            sum += hopEnergies[i % hopsPerShortTerm];
        return sum / (double) count;
    };

    if (numHops >= hopsPerMomentary)
        maxMomentary = largest (maxMomentary, toLoudness (meanOfLast (hopsPerMomentary)));

    if (numHops >= hopsPerShortTerm)
        maxShortTerm = largest (maxShortTerm, toLoudness (meanOfLast (hopsPerShortTerm)));
}

LoudnessResult LoudnessMeter::getResult() const
{
    LoudnessResult result;
    if (stereo == nullptr)
        return result;

    double value = 0.0;
    const std::lock_guard<std::mutex> lock (getLibraryLock());

    auto error = ebur128_loudness_global (stereo, &value);
    result.integratedLufs = reading (error, value);

    error = ebur128_loudness_global (mono, &value);
    result.monoIntegratedLufs = reading (error, value);

    // The library gives a range of 0 LU where it has no short-term loudness to compare.
    error = ebur128_loudness_range (stereo, &value);
    if (error == EBUR128_SUCCESS && std::isfinite (value) && result.integratedLufs.has_value() && numHops >= hopsPerShortTerm)
        result.rangeLu = value;

    result.maxMomentaryLufs = maxMomentary;
    result.maxShortTermLufs = maxShortTerm;

    const auto truePeak = [] (const TruePeakMeter& meter) -> std::optional<double>
    {
        const auto peak = meter.getPeak();
        if (! (peak > 0.0f))
            return {};
        return 20.0 * std::log10 ((double) peak);
    };

    result.truePeakLeftDbtp = truePeak (*truePeakLeft);
    result.truePeakRightDbtp = truePeak (*truePeakRight);
    return result;
}
