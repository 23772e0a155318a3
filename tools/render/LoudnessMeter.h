#pragma once

#include "LoudnessResult.h"

#include <juce_core/juce_core.h>

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include <ebur128.h>

/**
    Measures the EBU R128 loudness of a stereo signal fed to it block by block, with libebur128: integrated
    loudness, loudness range, the highest momentary and short-term loudness, the true peak of each channel
    and the integrated loudness of the mono fold-down. A NaN or infinite sample counts as silence, so that
    one bad sample cannot spoil the filters' state. Below lowestSampleRate nothing has a reading.
*/
class LoudnessMeter
{
public:
    /** The weighting filter's shelf at 1.7 kHz needs a sample rate well above twice that. */
    static constexpr double lowestSampleRate = 8000.0;

    explicit LoudnessMeter (double sampleRate);
    ~LoudnessMeter();

    void addBlock (const float* left, const float* right, int numSamples);

    /** The figures for everything fed so far. */
    LoudnessResult getResult() const;

    /** libebur128 writes its global tables in every ebur128_init, and the gated loudness reads them: those
        calls run under this lock, so that meters on several threads never race. */
    static std::mutex& getLibraryLock();

    /** Frames of a stereo block interleaved for libebur128, with NaN and infinite samples as 0; as the
        mono fold-down (L + R) / 2 when mono is set. */
    static void interleave (const float* left, const float* right, int numSamples, bool mono, std::vector<float>& frames);

private:
    void feed (const float* left, const float* right, int numSamples);
    void readWindows();

    ebur128_state *stereo = nullptr, *mono = nullptr;
    std::vector<float> stereoFrames, monoFrames;

    // Every 100 ms of signal the library gives the weighted energy of those 100 ms; the momentary
    // (400 ms) and short-term (3 s) loudness are the means of the last 4 and 30 of them. Asking the
    // library for each window instead sums 3 s of samples ten times a second, which cost more than all
    // the other figures together.
    static constexpr size_t momentarySegments = 4, shortTermSegments = 30;
    juce::int64 hop, untilReading;
    std::array<double, shortTermSegments> segments {};
    size_t numSegments = 0;
    std::optional<double> maxMomentary, maxShortTerm;

    JUCE_DECLARE_NON_COPYABLE (LoudnessMeter)
};
