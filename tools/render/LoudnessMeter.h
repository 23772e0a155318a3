#pragma once

#include "LoudnessResult.h"
#include "TruePeakMeter.h"

#include <juce_core/juce_core.h>

#include <array>
#include <memory>
#include <mutex>
#include <vector>

#include <ebur128.h>

/**
    Measures the EBU R128 loudness of a stereo signal fed to it block by block, with libebur128: integrated
    loudness, loudness range, the highest momentary and short-term loudness and the integrated loudness of
    the mono fold-down; and the true peak of each channel (TruePeakMeter). A NaN or infinite sample counts as silence, so that
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

    // The highest momentary (400 ms) and short-term (3 s) loudness are read every 10 ms, so that a burst
    // reads its full loudness wherever it starts: a grid of 100 ms can miss a 400 ms burst by up to 50 ms
    // and read it 0.5 LU low. Each hop the library gives the weighted energy of those 10 ms, and the
    // windows are the means of the last 40 and 300 hops.
    static constexpr size_t hopsPerMomentary = 40, hopsPerShortTerm = 300;
    juce::int64 hop, untilReading;
    std::array<double, hopsPerShortTerm> hopEnergies {};
    size_t numHops = 0;
    std::optional<double> maxMomentary, maxShortTerm;
    std::unique_ptr<TruePeakMeter> truePeakLeft, truePeakRight;
    std::vector<float> finiteLeft, finiteRight;

    JUCE_DECLARE_NON_COPYABLE (LoudnessMeter)
};
