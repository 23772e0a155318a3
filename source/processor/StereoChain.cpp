#include "StereoChain.h"

#include <algorithm>
#include <cmath>

namespace
{
    /** out = (ll * l + lr * r, rl * l + rr * r) */
    struct Matrix2
    {
        float ll = 1.0f, lr = 0.0f, rl = 0.0f, rr = 1.0f;
    };

    /** Gain, swap, polarity and mono, as one linear map from the input pair. */
    Matrix2 makeInputStage (const StereoChainSettings& s) noexcept
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

    /** Width, mid compensation, pan curve, pan law and the mid/side mutes: from the input stage's
        pair to the panned signal's mid (row l) and side (row r).
    */
    Matrix2 makeMidSideStage (const StereoChainSettings& s, float widthValue, float panValue) noexcept
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

        Matrix2 m { 0.5f * (panLeftL + panRightL), 0.5f * (panLeftR + panRightR),
                    0.5f * (panRightL - panLeftL), 0.5f * (panRightR - panLeftR) };

        if (s.muteMid)
            m.ll = m.lr = 0.0f;

        if (s.muteSide)
            m.rl = m.rr = 0.0f;

        return m;
    }

    inline float raise (float peak, float sample) noexcept
    {
        return std::max (peak, std::abs (sample));
    }
}

void StereoChain::setSafeBassCoefficients (const juce::IIRCoefficients& coefficients) noexcept
{
    safeBassFilter.setCoefficients (coefficients);
}

StereoPeaks StereoChain::process (float* left, float* right, int numSamples, const StereoChainSettings& settings,
                                  float width, float pan) noexcept
{
    const std::atomic<float> widthSource { width }, panSource { pan };
    return process (left, right, numSamples, settings, widthSource, panSource);
}

StereoPeaks StereoChain::process (float* left, float* right, int numSamples, const StereoChainSettings& settings,
                                  const std::atomic<float>& width, const std::atomic<float>& pan) noexcept
{
    StereoPeaks peaks;

    if (numSamples <= 0)
        return peaks;

    if (settings.bypass)
    {
        for (int i = 0; i < numSamples; ++i)
        {
            peaks.inputLeft = peaks.outputLeft = raise (peaks.inputLeft, left[i]);
            peaks.inputRight = peaks.outputRight = raise (peaks.inputRight, right[i]);
        }

        return peaks;
    }

    const auto filterSide = settings.safeBass && ! settings.muteSide;

    if (filterSide)
    {
        processChannels<true> (left, right, numSamples, settings, width, pan, peaks);
        safeBassFilter.resetIfNotFinite();
    }
    else
    {
        processChannels<false> (left, right, numSamples, settings, width, pan, peaks);
    }

    return peaks;
}

template <bool withSafeBass>
void StereoChain::processChannels (float* left, float* right, int numSamples, const StereoChainSettings& settings,
                                   const std::atomic<float>& width, const std::atomic<float>& pan,
                                   StereoPeaks& peaks) noexcept
{
    const auto in = makeInputStage (settings);
    const auto outGain = settings.outputGain;
    const auto followsControls = ! settings.muteAll;

    auto currentWidth = width.load (std::memory_order_relaxed);
    auto currentPan = pan.load (std::memory_order_relaxed);
    auto ms = makeMidSideStage (settings, currentWidth, currentPan);

    auto inL = peaks.inputLeft, inR = peaks.inputRight, outL = peaks.outputLeft, outR = peaks.outputRight;

    for (int i = 0; i < numSamples; ++i)
    {
        if (followsControls)
        {
            const auto w = width.load (std::memory_order_relaxed);
            const auto p = pan.load (std::memory_order_relaxed);

            if (w != currentWidth || p != currentPan)
            {
                currentWidth = w;
                currentPan = p;
                ms = makeMidSideStage (settings, w, p);
            }
        }

        const auto l = left[i], r = right[i];
        const auto l1 = in.ll * l + in.lr * r;
        const auto r1 = in.rl * l + in.rr * r;
        inL = raise (inL, l1);
        inR = raise (inR, r1);

        const auto mid = ms.ll * l1 + ms.lr * r1;
        auto side = ms.rl * l1 + ms.rr * r1;

        if constexpr (withSafeBass)
            side = safeBassFilter.processSample (side);

        const auto outLeft = (mid - side) * outGain;
        const auto outRight = (mid + side) * outGain;
        outL = raise (outL, outLeft);
        outR = raise (outR, outRight);
        left[i] = outLeft;
        right[i] = outRight;
    }

    peaks = { inL, inR, outL, outR };
}
