#pragma once

#include "SafeBassFilter.h"

#include <atomic>

/** The per-block settings of the stereo chain, taken from the parameters at the block start. */
struct StereoChainSettings
{
    bool bypass = false;
    bool muteAll = false;
    bool muteMid = false;
    bool muteSide = false;
    bool swap = false;
    bool flip = false;
    bool mono = false;
    /** The safe-bass high-pass runs on the side signal in this block. */
    bool safeBass = false;

    /** Choice values, matched by exact value: 0.0, 0.1 or 0.2. */
    float panCurve = 0.1f;
    float panLaw = 0.0f;
    float panMode = 0.1f;
    float msMode = 0.0f;

    /** Linear gain factors. */
    float inputGain = 1.0f;
    float outputGain = 1.0f;
};

/** Largest absolute sample values seen in one block, before the mid/side stage and at the output. */
struct StereoPeaks
{
    float inputLeft = 0.0f, inputRight = 0.0f, outputLeft = 0.0f, outputRight = 0.0f;
};

/** A pair of channels to process: the input read and the output written, the same buffers in place. */
struct StereoBuffers
{
    const float* inLeft;
    const float* inRight;
    float* outLeft;
    float* outRight;

    StereoBuffers from (int frame) const noexcept { return { inLeft + frame, inRight + frame, outLeft + frame, outRight + frame }; }
};

/** Input gain, swap, polarity, mono, mid/side width, pan curve and law, mid/side mutes, safe bass and
    output gain, applied to a pair of channels, in place or from input to output buffers. Knows nothing of the host: the processor hands
    it plain settings and the two live parameter values that may change from one sample to the next.
*/
class StereoChain
{
public:
    /** Takes new safe-bass coefficients; the filter's running state stays. */
    void setSafeBassCoefficients (const SafeBassFilter::Coefficients& coefficients) noexcept;
    void resetSafeBassFilter() noexcept { safeBassFilter.reset(); }
    const SafeBassFilter::State& getSafeBassState() const noexcept { return safeBassFilter.getState(); }

    /** Processes numSamples frames in place. Width and pan ("StereoWidth" and "Pan", normalised) are
        read again at every sample, so a change made during a block is heard at the next sample.
    */
    StereoPeaks process (float* left, float* right, int numSamples, const StereoChainSettings& settings, const std::atomic<float>& width, const std::atomic<float>& pan) noexcept;

    /** The same from input to output buffers (each output either its input or apart from both inputs),
        which saves a host with separate buffers a copy. */
    StereoPeaks process (const StereoBuffers& io, int numSamples, const StereoChainSettings& settings, const std::atomic<float>& width, const std::atomic<float>& pan) noexcept;

    /** The same with width and pan fixed for the block. */
    StereoPeaks process (float* left, float* right, int numSamples, const StereoChainSettings& settings, float width, float pan) noexcept;

private:
    /** out = (ll * l + lr * r, rl * l + rr * r) */
    struct Matrix2
    {
        float ll = 1.0f, lr = 0.0f, rl = 0.0f, rr = 1.0f;
    };

    /** Runs numSamples frames with fixed stage maps; the safe-bass filter is fed when asked. */
    void processRun (const StereoBuffers& io, int numSamples, const Matrix2& inputStage, const Matrix2& midSideStage, float outputGain, bool filterSide, StereoPeaks& peaks) noexcept;

    class FrameKernel;

    /** Frames reading width and pan before every frame; filterSide runs the safe-bass filter. */
    template <bool filterSide>
    void processFollowingControls (const StereoBuffers& io, int numSamples, const Matrix2& inputStage, const StereoChainSettings& settings, const std::atomic<float>& width, const std::atomic<float>& pan, StereoPeaks& peaks) noexcept;

    static Matrix2 makeInputStage (const StereoChainSettings& s) noexcept;
    static Matrix2 makeMidSideStage (const StereoChainSettings& s, float widthValue, float panValue) noexcept;

    /** The stage maps of the last settings, width and pan seen: remade only when one of them changed,
        so a block where nothing moved takes no square root or sine.
    */
    Matrix2 cachedInputStage (const StereoChainSettings& s) noexcept;
    Matrix2 cachedMidSideStage (const StereoChainSettings& s, float widthValue, float panValue) noexcept;

    struct StageCache
    {
        StereoChainSettings settings;
        Matrix2 inputStage, midSide;
        float width = 0.0f, pan = 0.0f;
        bool valid = false, midSideValid = false;
    };

    StageCache cache;

    SafeBassFilter safeBassFilter;
};
