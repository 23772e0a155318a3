#include "StereoChain.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#define WYDENZA_SSE 1
#else
#define WYDENZA_SSE 0
#endif

namespace
{
inline std::uint32_t bitsOf (float x) noexcept
{
    std::uint32_t bits;
    std::memcpy (&bits, &x, sizeof bits);
    return bits;
}

/** True when width and pan, read once for each of the next four frames in frame order, all have the
    bits of the values the stage maps were made from. Compared as bits, each read is one compare and a
    branch that is always taken the same way; a value that is merely equal (-0 for 0) goes the slow way,
    which gives the same result.
*/
inline bool nextFourFramesUnchanged (const std::atomic<float>& width, const std::atomic<float>& pan, std::uint32_t widthBits, std::uint32_t panBits) noexcept
{
    const auto same = [&]
    { return bitsOf (width.load (std::memory_order_relaxed)) == widthBits && bitsOf (pan.load (std::memory_order_relaxed)) == panBits; };
    return same() && same() && same() && same();
}

inline float maxMagnitude (float peak, float sample) noexcept
{
    const auto magnitude = std::abs (sample);
    return magnitude > peak ? magnitude : peak;
}

/** Subnormal samples become zero, as with the processor's flush-to-zero and denormals-are-zero modes,
    which the chain does without: writing the control register twice a block costs more than the rest of
    a small block. NaN and infinities pass.
*/
inline float flushSubnormal (float x) noexcept
{
    return std::abs (x) < std::numeric_limits<float>::min() ? 0.0f : x;
}

/** Frames of safe-bass filtering between two settlings of its state: short enough that even the
    fastest-decaying crossover cannot carry a tail from the settling threshold into subnormals in between.
*/
constexpr int maxFilteredRun = 256;
} // namespace

/** Gain, swap, polarity and mono, as one linear map from the input pair. */
StereoChain::Matrix2 StereoChain::makeInputStage (const StereoChainSettings& s) noexcept
{
    Matrix2 m;

    if (s.bypass)
        return m;

    const auto g = s.inputGain;
    m = { g, 0.0f, 0.0f, g };

    if (s.muteAll)
        return m;

    if (s.swap && ! s.mono)
        m = { 0.0f, g, g, 0.0f };

    if (s.flip)
        m = { -m.ll, -m.lr, -m.rl, -m.rr };

    if (s.mono)
    {
        const auto sumL = (m.ll + m.rl) * 0.5f;
        const auto sumR = (m.lr + m.rr) * 0.5f;
        m = { sumL, sumR, sumL, sumR };
    }

    return m;
}

/** Width, mid compensation, pan curve, pan law and the mid/side mutes: from the input stage's pair to the
    panned signal's mid (row l) and side (row r).
*/
StereoChain::Matrix2 StereoChain::makeMidSideStage (const StereoChainSettings& s, float widthValue, float panValue) noexcept
{
    if (s.muteAll)
        return { 0.0f, 0.0f, 0.0f, 0.0f };

    const auto w = 2.0f * widthValue;
    const auto p = 2.0f * panValue - 1.0f;
    const auto absP = std::abs (p);

    const auto effectiveWidth = s.panMode == 0.0f ? w * (1.0f - absP) : w;

    auto midGain = 1.0f;

    if (s.msMode == 0.1f)
    {
        if (effectiveWidth > 1.0f)
            midGain = 1.0f / effectiveWidth;
        else if (effectiveWidth < 1.0f)
            midGain = 1.5f - 0.5f * effectiveWidth;
    }

    // A host may send pan values outside 0..1; the curve then stays at silence instead of NaN.
    const auto a = std::max (0.0f, 1.0f - absP);
    constexpr auto quarterPi = juce::MathConstants<float>::pi / 4.0f;
    const auto curveGain = s.panCurve == 0.0f ? a : (s.panCurve == 0.1f ? std::sqrt (a) : std::sin (a * quarterPi));

    const auto lawSlope = s.panLaw == 0.1f ? 0.5f : (s.panLaw == 0.2f ? 1.0f : 0.0f);
    const auto boost = 1.0f + lawSlope * absP;

    auto leftGain = 1.0f, rightGain = 1.0f;

    if (p < 0.0f)
    {
        rightGain = curveGain;
        leftGain = boost;
    }
    else if (p > 0.0f)
    {
        leftGain = curveGain;
        rightGain = boost;
    }

    // Left and right after width and mid compensation, as functions of the input pair.
    const auto direct = 0.5f * (midGain + effectiveWidth);
    const auto cross = 0.5f * (midGain - effectiveWidth);
    const auto panLeftL = leftGain * direct, panLeftR = leftGain * cross;
    const auto panRightL = rightGain * cross, panRightR = rightGain * direct;

    Matrix2 m { 0.5f * (panLeftL + panRightL), 0.5f * (panLeftR + panRightR), 0.5f * (panRightL - panLeftL), 0.5f * (panRightR - panLeftR) };

    if (s.muteMid)
        m.ll = m.lr = 0.0f;

    if (s.muteSide)
        m.rl = m.rr = 0.0f;

    return m;
}

/** The per-frame arithmetic of a run with fixed stage maps, four frames at a time where SSE is there.
    Vector and scalar paths do the same operations in the same order, so they give the same bits; only
    the high-pass's double-precision recurrence is regrouped in the vector path.

    The stages are folded into as few products as the peaks allow: when the input stage only scales or
    exchanges the channels (gain, swap, polarity), its peaks follow from the input's own, and the whole
    chain without the high-pass is one 2x2 map per frame.
*/
class StereoChain::FrameKernel
{
public:
    /** filterGain: the b0 the safe-bass filter leaves out of its results, applied with the output gain. */
    FrameKernel (const Matrix2& inputStage, const Matrix2& midSideStage, float outputGain, double filterGain, const StereoPeaks& peaks) noexcept
        : in (inputStage), outGain (outputGain), filteredSideGain ((float) ((double) outputGain * filterGain)), diagonal (in.lr == 0.0f && in.rl == 0.0f), crossed (! diagonal && in.ll == 0.0f && in.rr == 0.0f), folded (diagonal || crossed), startPeaks (peaks)
    {
        setMidSideStage (midSideStage);
    }

    bool isFolded() const noexcept { return folded; }

    /** Input stage, mid/side stage and output, in place; with filter, the safe-bass high-pass on the
        side too, in the same pass.
    */
    void processFused (const StereoBuffers& io, int n, SafeBassFilter* filter) noexcept
    {
        int i = 0;
#if WYDENZA_SSE
        i = folded ? processVectors<true> (io, n, filter) : processVectors<false> (io, n, filter);
#endif
        for (; i < n; ++i)
        {
            if (filter != nullptr)
                processFrameFiltered (io.inLeft[i], io.inRight[i], io.outLeft[i], io.outRight[i], *filter);
            else
                processFrame (io.inLeft[i], io.inRight[i], io.outLeft[i], io.outRight[i]);
        }
    }

    StereoPeaks getPeaks() const noexcept
    {
        // max (0 * inf) would be NaN where the input stage's own product is; a silenced channel has no peak.
        const auto scaled = [] (float scale, float peak)
        { return scale == 0.0f ? 0.0f : std::abs (scale) * peak; };
        auto inputLeft = peakA, inputRight = peakB;

        if (diagonal)
        {
            inputLeft = scaled (in.ll, peakA);
            inputRight = scaled (in.rr, peakB);
        }
        else if (crossed)
        {
            inputLeft = scaled (in.lr, peakB);
            inputRight = scaled (in.rl, peakA);
        }

        return { std::max (startPeaks.inputLeft, inputLeft), std::max (startPeaks.inputRight, inputRight), std::max (startPeaks.outputLeft, outL), std::max (startPeaks.outputRight, outR) };
    }

    void setMidSideStage (const Matrix2& m) noexcept
    {
        // From what the frame loop multiplies (the input itself when folded) to mid and side ...
        a = folded ? Matrix2 { m.ll * in.ll + m.lr * in.rl, m.ll * in.lr + m.lr * in.rr, m.rl * in.ll + m.rr * in.rl, m.rl * in.lr + m.rr * in.rr } : m;
        // ... and on to the output: (mid - side, mid + side) * gain.
        t = { outGain * (a.ll - a.rl), outGain * (a.lr - a.rr), outGain * (a.ll + a.rl), outGain * (a.lr + a.rr) };
        // With the high-pass between them, the gain goes into the mid row and onto the filtered side.
        gainedMidFromX0 = outGain * a.ll;
        gainedMidFromX1 = outGain * a.lr;
    }

    /** One frame; the input is read before the output is written, so the two may be the same. */
    void processFrame (float l, float r, float& leftOut, float& rightOut) noexcept
    {
        float x0, x1;
        source (l, r, x0, x1);
        const auto outLeft = t.ll * x0 + t.lr * x1;
        const auto outRight = t.rl * x0 + t.rr * x1;
        outL = maxMagnitude (outL, outLeft);
        outR = maxMagnitude (outR, outRight);
        leftOut = flushSubnormal (outLeft);
        rightOut = flushSubnormal (outRight);
    }

    /** One frame with the safe-bass high-pass on the side. */
    void processFrameFiltered (float l, float r, float& leftOut, float& rightOut, SafeBassFilter& filter) noexcept
    {
        float x0, x1;
        source (l, r, x0, x1);
        const auto mid = gainedMidFromX0 * x0 + gainedMidFromX1 * x1;
        const auto side = filter.processSampleWithoutGain (a.rl * x0 + a.rr * x1) * filteredSideGain;
        const auto outLeft = mid - side;
        const auto outRight = mid + side;
        outL = maxMagnitude (outL, outLeft);
        outR = maxMagnitude (outR, outRight);
        leftOut = flushSubnormal (outLeft);
        rightOut = flushSubnormal (outRight);
    }

    /** What the stage maps are applied to: the input when folded, else the input stage's output. */
    void source (float l, float r, float& x0, float& x1) noexcept
    {
        l = flushSubnormal (l);
        r = flushSubnormal (r);

        if (folded)
        {
            x0 = l;
            x1 = r;
        }
        else
        {
            x0 = in.ll * l + in.lr * r;
            x1 = in.rl * l + in.rr * r;
        }

        peakA = maxMagnitude (peakA, x0);
        peakB = maxMagnitude (peakB, x1);
    }

#if WYDENZA_SSE
    /** The safe-bass high-pass over four frames, in double: the feed-forward sums and their spread by
        the feedback run on pairs of frames at once, and only two pairs wait on the previous four
        outputs (SafeBassFilter::LookAhead).
    */
    struct VectorFilter
    {
        explicit VectorFilter (SafeBassFilter& filter) noexcept
        {
            const auto& la = filter.getLookAhead();
            const auto& st = filter.getState();
            h01 = _mm_setr_pd (0.0, la.h1);
            h1 = _mm_set1_pd (la.h1);
            h2 = _mm_set1_pd (la.h2);
            h03 = _mm_setr_pd (0.0, la.h3);
            q01 = _mm_setr_pd (la.q[0], la.q[1]);
            q23 = _mm_setr_pd (la.q[2], la.q[3]);
            p01 = _mm_setr_pd (la.p[0], la.p[1]);
            p23 = _mm_setr_pd (la.p[2], la.p[3]);
            previousInput = _mm_setr_pd (st.x2, st.x1);
            previousOutput = _mm_setr_pd (st.y2, st.y1);
        }

        __m128 process (__m128 side) noexcept
        {
            // x[0..3] in two pairs, and the same shifted back by one and two samples.
            const auto x01 = _mm_cvtps_pd (side);
            const auto x23 = _mm_cvtps_pd (_mm_movehl_ps (side, side));
            const auto x01Back1 = _mm_shuffle_pd (previousInput, x01, 1);
            const auto x23Back1 = _mm_shuffle_pd (x01, x23, 1);
            const auto g01 = _mm_sub_pd (_mm_add_pd (x01, previousInput), _mm_add_pd (x01Back1, x01Back1));
            const auto g23 = _mm_sub_pd (_mm_add_pd (x23, x01), _mm_add_pd (x23Back1, x23Back1));
            previousInput = x23;

            // What the four outputs would be from rest.
            const auto g00 = _mm_unpacklo_pd (g01, g01);
            const auto g12 = _mm_shuffle_pd (g01, g23, 1);
            const auto rest01 = _mm_add_pd (g01, _mm_mul_pd (h01, g00));
            const auto rest23 = _mm_add_pd (_mm_add_pd (_mm_add_pd (g23, _mm_mul_pd (h1, g12)), _mm_mul_pd (h2, g01)), _mm_mul_pd (h03, g00));

            // Plus what the previous two outputs bring.
            const auto yBack2 = _mm_unpacklo_pd (previousOutput, previousOutput);
            const auto yBack1 = _mm_unpackhi_pd (previousOutput, previousOutput);
            const auto y01 = _mm_add_pd (_mm_add_pd (rest01, _mm_mul_pd (p01, yBack2)), _mm_mul_pd (q01, yBack1));
            const auto y23 = _mm_add_pd (_mm_add_pd (rest23, _mm_mul_pd (p23, yBack2)), _mm_mul_pd (q23, yBack1));
            previousOutput = y23;

            return _mm_movelh_ps (_mm_cvtpd_ps (y01), _mm_cvtpd_ps (y23));
        }

        void store (SafeBassFilter& filter) const noexcept
        {
            alignas (16) double inputs[2], outputs[2];
            _mm_store_pd (inputs, previousInput);
            _mm_store_pd (outputs, previousOutput);
            filter.getState() = { inputs[1], inputs[0], outputs[1], outputs[0] };
        }

        __m128d h01, h1, h2, h03, q01, q23, p01, p23;
        // x[-2], x[-1] and y[-2], y[-1] for the first of the next four frames.
        __m128d previousInput, previousOutput;
    };

    /** The same arithmetic on four frames; peaks are kept per lane and folded back at the end. Made for
        folded kernels or not, so a folded run keeps no input-stage factors in registers.
    */
    template <bool isFolded>
    struct Vector
    {
        explicit Vector (const FrameKernel& k) noexcept
            : inLL (_mm_set1_ps (k.in.ll)), inLR (_mm_set1_ps (k.in.lr)), inRL (_mm_set1_ps (k.in.rl)), inRR (_mm_set1_ps (k.in.rr)), gainedMid0 (_mm_set1_ps (k.gainedMidFromX0)), gainedMid1 (_mm_set1_ps (k.gainedMidFromX1)), aRL (_mm_set1_ps (k.a.rl)), aRR (_mm_set1_ps (k.a.rr)), tLL (_mm_set1_ps (k.t.ll)), tLR (_mm_set1_ps (k.t.lr)), tRL (_mm_set1_ps (k.t.rl)), tRR (_mm_set1_ps (k.t.rr)), filteredSideGain (_mm_set1_ps (k.filteredSideGain)), peakA (_mm_set1_ps (k.peakA)), peakB (_mm_set1_ps (k.peakB)), peakOutL (_mm_set1_ps (k.outL)), peakOutR (_mm_set1_ps (k.outR))
        {
        }

        static __m128 magnitude (__m128 x) noexcept { return _mm_and_ps (x, _mm_castsi128_ps (_mm_set1_epi32 (0x7fffffff))); }

        // maxps returns its second operand when either is NaN, so a NaN frame leaves the peak alone.
        static __m128 raise (__m128 peak, __m128 xMagnitude) noexcept { return _mm_max_ps (xMagnitude, peak); }

        /** All ones where the magnitude is not below the smallest normal (NaN included), as flushSubnormal(). */
        static __m128 keepMask (__m128 xMagnitude) noexcept { return _mm_cmpnlt_ps (xMagnitude, _mm_set1_ps (std::numeric_limits<float>::min())); }

        static __m128 flushed (__m128 x, __m128 xMagnitude) noexcept { return _mm_and_ps (x, keepMask (xMagnitude)); }

        /** flushSubnormal() on x and on its magnitude, which the peaks take: maxps on a subnormal is as
            slow as any other arithmetic on one.
        */
        static void flush (__m128& x, __m128& xMagnitude) noexcept
        {
            const auto keep = keepMask (xMagnitude);
            x = _mm_and_ps (x, keep);
            xMagnitude = _mm_and_ps (xMagnitude, keep);
        }

        static float fold (__m128 v) noexcept
        {
            alignas (16) float lanes[4];
            _mm_store_ps (lanes, v);
            return std::max (std::max (lanes[0], lanes[1]), std::max (lanes[2], lanes[3]));
        }

        void source (__m128 l, __m128 r, __m128& x0, __m128& x1) noexcept
        {
            auto lMagnitude = magnitude (l), rMagnitude = magnitude (r);
            flush (l, lMagnitude);
            flush (r, rMagnitude);

            if constexpr (isFolded)
            {
                x0 = l;
                x1 = r;
                peakA = raise (peakA, lMagnitude);
                peakB = raise (peakB, rMagnitude);
            }
            else
            {
                x0 = _mm_add_ps (_mm_mul_ps (inLL, l), _mm_mul_ps (inLR, r));
                x1 = _mm_add_ps (_mm_mul_ps (inRL, l), _mm_mul_ps (inRR, r));
                peakA = raise (peakA, magnitude (x0));
                peakB = raise (peakB, magnitude (x1));
            }
        }

        void store (float* lp, float* rp, __m128 outLeft, __m128 outRight) noexcept
        {
            // Unlike the input, an output only comes out subnormal where a product underflowed, which is
            // rare enough to take the slow maxps on it.
            const auto leftMagnitude = magnitude (outLeft), rightMagnitude = magnitude (outRight);
            peakOutL = raise (peakOutL, leftMagnitude);
            peakOutR = raise (peakOutR, rightMagnitude);
            _mm_storeu_ps (lp, flushed (outLeft, leftMagnitude));
            _mm_storeu_ps (rp, flushed (outRight, rightMagnitude));
        }

        /** Four frames; the inputs are loaded before the outputs are stored, so the two may be the same. */
        void processFused (const float* il, const float* ir, float* lp, float* rp) noexcept
        {
            __m128 x0, x1;
            source (_mm_loadu_ps (il), _mm_loadu_ps (ir), x0, x1);
            store (lp, rp, _mm_add_ps (_mm_mul_ps (tLL, x0), _mm_mul_ps (tLR, x1)), _mm_add_ps (_mm_mul_ps (tRL, x0), _mm_mul_ps (tRR, x1)));
        }

        /** Four frames with the safe-bass high-pass on the side. */
        void processFusedFiltered (const float* il, const float* ir, float* lp, float* rp, VectorFilter& filter) noexcept
        {
            __m128 x0, x1;
            source (_mm_loadu_ps (il), _mm_loadu_ps (ir), x0, x1);
            const auto mid = _mm_add_ps (_mm_mul_ps (gainedMid0, x0), _mm_mul_ps (gainedMid1, x1));
            const auto side = filter.process (_mm_add_ps (_mm_mul_ps (aRL, x0), _mm_mul_ps (aRR, x1)));
            const auto gainedSide = _mm_mul_ps (side, filteredSideGain);
            store (lp, rp, _mm_sub_ps (mid, gainedSide), _mm_add_ps (mid, gainedSide));
        }

        void store (FrameKernel& k) const noexcept
        {
            k.peakA = fold (peakA);
            k.peakB = fold (peakB);
            k.outL = fold (peakOutL);
            k.outR = fold (peakOutR);
        }

        __m128 inLL, inLR, inRL, inRR, gainedMid0, gainedMid1, aRL, aRR, tLL, tLR, tRL, tRR, filteredSideGain;
        __m128 peakA, peakB, peakOutL, peakOutR;
    };

    /** Whole groups of four frames of processFused(); returns how many frames were done. */
    template <bool isFolded>
    int processVectors (const StereoBuffers& io, int n, SafeBassFilter* filter) noexcept
    {
        const auto always = []
        { return true; };
        return filter != nullptr ? processGroups<isFolded, true> (io, 0, n, filter, always)
                                 : processGroups<isFolded, false> (io, 0, n, nullptr, always);
    }

    /** Groups of four frames from frame i on, for as long as unchanged() says their controls are those of
        the stage maps; returns the first frame not done. Made afresh for every run, so the loop keeps
        only what it uses in registers.
    */
    template <bool isFolded, bool filtered, typename Unchanged>
    int processGroups (const StereoBuffers& io, int i, int n, SafeBassFilter* filter, Unchanged&& unchanged) noexcept
    {
        Vector<isFolded> v (*this);

        if constexpr (filtered)
        {
            VectorFilter vf (*filter);
            for (; i + 4 <= n && unchanged(); i += 4)
                v.processFusedFiltered (io.inLeft + i, io.inRight + i, io.outLeft + i, io.outRight + i, vf);
            vf.store (*filter);
        }
        else
        {
            for (; i + 4 <= n && unchanged(); i += 4)
                v.processFused (io.inLeft + i, io.inRight + i, io.outLeft + i, io.outRight + i);
        }

        v.store (*this);
        return i;
    }
#endif

private:
    const Matrix2 in;
    const float outGain, filteredSideGain;
    const bool diagonal, crossed, folded;
    const StereoPeaks startPeaks;
    Matrix2 a, t;
    float gainedMidFromX0 = 0.0f, gainedMidFromX1 = 0.0f;
    // Peaks of what source() hands on, and of the output, since the kernel was made.
    float peakA = 0.0f, peakB = 0.0f, outL = 0.0f, outR = 0.0f;
};

namespace
{
/** Same bits: a cached result is reused only for exactly the inputs it was made from, NaNs included. */
inline bool sameBits (float a, float b) noexcept
{
    std::uint32_t x, y;
    std::memcpy (&x, &a, sizeof x);
    std::memcpy (&y, &b, sizeof y);
    return x == y;
}

inline bool sameSettings (const StereoChainSettings& a, const StereoChainSettings& b) noexcept
{
    return a.bypass == b.bypass && a.muteAll == b.muteAll && a.muteMid == b.muteMid && a.muteSide == b.muteSide && a.swap == b.swap
           && a.flip == b.flip && a.mono == b.mono && a.safeBass == b.safeBass && sameBits (a.panCurve, b.panCurve)
           && sameBits (a.panLaw, b.panLaw) && sameBits (a.panMode, b.panMode) && sameBits (a.msMode, b.msMode)
           && sameBits (a.inputGain, b.inputGain) && sameBits (a.outputGain, b.outputGain);
}
} // namespace

StereoChain::Matrix2 StereoChain::cachedInputStage (const StereoChainSettings& settings) noexcept
{
    if (! (cache.valid && sameSettings (settings, cache.settings)))
    {
        cache.settings = settings;
        cache.inputStage = makeInputStage (settings);
        cache.midSideValid = false;
        cache.valid = true;
    }

    return cache.inputStage;
}

StereoChain::Matrix2 StereoChain::cachedMidSideStage (const StereoChainSettings& settings, float widthValue, float panValue) noexcept
{
    // Only called after cachedInputStage() of the same block, so the cached settings are these.
    if (! (cache.midSideValid && sameBits (widthValue, cache.width) && sameBits (panValue, cache.pan)))
    {
        cache.width = widthValue;
        cache.pan = panValue;
        cache.midSide = makeMidSideStage (settings, widthValue, panValue);
        cache.midSideValid = true;
    }

    return cache.midSide;
}

void StereoChain::setSafeBassCoefficients (const SafeBassFilter::Coefficients& coefficients) noexcept
{
    safeBassFilter.setCoefficients (coefficients);
}

StereoPeaks StereoChain::process (float* left, float* right, int numSamples, const StereoChainSettings& settings, float width, float pan) noexcept
{
    const std::atomic<float> widthSource { width }, panSource { pan };
    return process ({ left, right, left, right }, numSamples, settings, widthSource, panSource);
}

StereoPeaks StereoChain::process (float* left, float* right, int numSamples, const StereoChainSettings& settings, const std::atomic<float>& width, const std::atomic<float>& pan) noexcept
{
    return process ({ left, right, left, right }, numSamples, settings, width, pan);
}

StereoPeaks StereoChain::process (const StereoBuffers& io, int numSamples, const StereoChainSettings& settings, const std::atomic<float>& width, const std::atomic<float>& pan) noexcept
{
    StereoPeaks peaks;

    if (numSamples <= 0)
        return peaks;

    if (settings.bypass)
    {
        for (int i = 0; i < numSamples; ++i)
        {
            peaks.inputLeft = peaks.outputLeft = maxMagnitude (peaks.inputLeft, io.inLeft[i]);
            peaks.inputRight = peaks.outputRight = maxMagnitude (peaks.inputRight, io.inRight[i]);
        }

        if (io.outLeft != io.inLeft)
            std::memmove (io.outLeft, io.inLeft, (size_t) numSamples * sizeof (float));
        if (io.outRight != io.inRight)
            std::memmove (io.outRight, io.inRight, (size_t) numSamples * sizeof (float));

        return peaks;
    }

    const auto filterSide = settings.safeBass && ! settings.muteSide;
    const auto inputStage = cachedInputStage (settings);
    auto currentWidth = width.load (std::memory_order_relaxed);
    auto currentPan = pan.load (std::memory_order_relaxed);
    auto midSideStage = cachedMidSideStage (settings, currentWidth, currentPan);

    const auto runLength = filterSide ? maxFilteredRun : numSamples;

    for (int start = 0; start < numSamples; start += runLength)
    {
        const auto n = std::min (runLength, numSamples - start);

        const auto run = io.from (start);

        if (settings.muteAll)
            processRun (run, n, inputStage, midSideStage, settings.outputGain, filterSide, peaks);
        else if (filterSide)
            processFollowingControls<true> (run, n, inputStage, settings, width, pan, peaks);
        else
            processFollowingControls<false> (run, n, inputStage, settings, width, pan, peaks);

        if (filterSide)
            safeBassFilter.settleTinyOutputs();
    }

    if (filterSide)
        safeBassFilter.resetIfNotFinite();

    return peaks;
}

template <bool filterSide>
void StereoChain::processFollowingControls (const StereoBuffers& io, int numSamples, const Matrix2& inputStage, const StereoChainSettings& settings, const std::atomic<float>& width, const std::atomic<float>& pan, StereoPeaks& peaks) noexcept
{
    // One pass: each frame's width and pan are read just before it is processed.
    auto currentWidth = width.load (std::memory_order_relaxed);
    auto currentPan = pan.load (std::memory_order_relaxed);
    FrameKernel kernel (inputStage, cachedMidSideStage (settings, currentWidth, currentPan), settings.outputGain, safeBassFilter.getGain(), peaks);

    const auto processFrame = [&] (int i)
    {
        const auto w = width.load (std::memory_order_relaxed);
        const auto p = pan.load (std::memory_order_relaxed);

        if (w != currentWidth || p != currentPan)
        {
            currentWidth = w;
            currentPan = p;
            kernel.setMidSideStage (cachedMidSideStage (settings, w, p));
        }

        if constexpr (filterSide)
            kernel.processFrameFiltered (io.inLeft[i], io.inRight[i], io.outLeft[i], io.outRight[i], safeBassFilter);
        else
            kernel.processFrame (io.inLeft[i], io.inRight[i], io.outLeft[i], io.outRight[i]);
    };

    int i = 0;
#if WYDENZA_SSE
    // Four frames at once while their width and pan are those of the stage maps; a group where either
    // moved goes frame by frame, each frame reading them again.
    while (i + 4 <= numSamples)
    {
        const auto widthBits = bitsOf (currentWidth), panBits = bitsOf (currentPan);
        const auto unchanged = [&]
        { return nextFourFramesUnchanged (width, pan, widthBits, panBits); };
        i = kernel.isFolded() ? kernel.processGroups<true, filterSide> (io, i, numSamples, &safeBassFilter, unchanged)
                              : kernel.processGroups<false, filterSide> (io, i, numSamples, &safeBassFilter, unchanged);

        if (i + 4 > numSamples)
            break;

        for (const auto end = i + 4; i < end; ++i)
            processFrame (i);
    }
#endif

    for (; i < numSamples; ++i)
        processFrame (i);

    peaks = kernel.getPeaks();
}

void StereoChain::processRun (const StereoBuffers& io, int numSamples, const Matrix2& in, const Matrix2& ms, float outGain, bool filterSide, StereoPeaks& peaks) noexcept
{
    FrameKernel kernel (in, ms, outGain, safeBassFilter.getGain(), peaks);

    kernel.processFused (io, numSamples, filterSide ? &safeBassFilter : nullptr);

    peaks = kernel.getPeaks();
}
