#include "SignalScopeFeed.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define WYDENZA_SCOPE_SSE 1
#else
#define WYDENZA_SCOPE_SSE 0
#endif

namespace
{
static_assert ((SignalScopeFeed::frameCapacity & (SignalScopeFeed::frameCapacity - 1)) == 0, "a power of two");
static_assert ((SignalScopeFeed::sumsCapacity & (SignalScopeFeed::sumsCapacity - 1)) == 0, "a power of two");

/** L x L, R x R and L x R summed over the runs of one block, in single precision; a block is short
    enough for that. The lanes are added up once, at the end of the block.
*/
class ProductSums
{
public:
    /** Adds n frames and, when copy is set, copies them in the same pass, so the block is read once. */
    template <bool copy>
    void add (const float* left, const float* right, float* toLeft, float* toRight, int n) noexcept
    {
        auto i = 0;

#if WYDENZA_SCOPE_SSE
        // Two sets of lanes keep the additions out of each other's way.
        auto ll1 = _mm_setzero_ps(), rr1 = _mm_setzero_ps(), lr1 = _mm_setzero_ps();

        for (; i + 8 <= n; i += 8)
        {
            const auto l0 = _mm_loadu_ps (left + i), r0 = _mm_loadu_ps (right + i);
            const auto l1 = _mm_loadu_ps (left + i + 4), r1 = _mm_loadu_ps (right + i + 4);

            if constexpr (copy)
            {
                _mm_storeu_ps (toLeft + i, l0);
                _mm_storeu_ps (toLeft + i + 4, l1);
                _mm_storeu_ps (toRight + i, r0);
                _mm_storeu_ps (toRight + i + 4, r1);
            }

            ll = _mm_add_ps (ll, _mm_mul_ps (l0, l0));
            rr = _mm_add_ps (rr, _mm_mul_ps (r0, r0));
            lr = _mm_add_ps (lr, _mm_mul_ps (l0, r0));
            ll1 = _mm_add_ps (ll1, _mm_mul_ps (l1, l1));
            rr1 = _mm_add_ps (rr1, _mm_mul_ps (r1, r1));
            lr1 = _mm_add_ps (lr1, _mm_mul_ps (l1, r1));
        }

        ll = _mm_add_ps (ll, ll1);
        rr = _mm_add_ps (rr, rr1);
        lr = _mm_add_ps (lr, lr1);
#endif

        for (; i < n; ++i)
        {
            const auto l = left[i], r = right[i];

            if constexpr (copy)
            {
                toLeft[i] = l;
                toRight[i] = r;
            }

            tailLL += l * l;
            tailRR += r * r;
            tailLR += l * r;
        }
    }

    SignalScopeFeed::Sums total (int frames) const noexcept
    {
#if WYDENZA_SCOPE_SSE
        return { (double) (sumOfLanes (ll) + tailLL), (double) (sumOfLanes (rr) + tailRR), (double) (sumOfLanes (lr) + tailLR), frames };
#else
        return { (double) tailLL, (double) tailRR, (double) tailLR, frames };
#endif
    }

private:
#if WYDENZA_SCOPE_SSE
    static float sumOfLanes (__m128 v) noexcept
    {
        alignas (16) float lanes[4];
        _mm_store_ps (lanes, v);
        return (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
    }

    __m128 ll = _mm_setzero_ps(), rr = _mm_setzero_ps(), lr = _mm_setzero_ps();
#endif
    float tailLL = 0.0f, tailRR = 0.0f, tailLR = 0.0f;
};
} // namespace

void SignalScopeFeed::Sums::add (const Sums& other) noexcept
{
    ll += other.ll;
    rr += other.rr;
    lr += other.lr;
    frames += other.frames;
}

SignalScopeFeed::SignalScopeFeed() = default;
SignalScopeFeed::~SignalScopeFeed() = default;

void SignalScopeFeed::pushWhileActive (const float* left, const float* right, int numFrames, double rate) noexcept
{
    if (numFrames <= 0)
        return;

    if (rate != lastPushedRate)
    {
        lastPushedRate = rate;
        sampleRate.store (rate, std::memory_order_relaxed);
    }

    // Frames beyond the free room are summed but not kept: the reader is behind and sees a gap.
    const auto written = frameCounters.written.load (std::memory_order_relaxed);
    const auto room = frameCapacity - (written - frameCounters.read.load (std::memory_order_acquire));
    const auto toKeep = (int) std::min (room, (std::uint32_t) numFrames);
    const auto start = written & (frameCapacity - 1);
    const auto firstRun = std::min (toKeep, (int) (frameCapacity - start));

    ProductSums products;
    products.add<true> (left, right, leftRing.get() + start, rightRing.get() + start, firstRun);

    if (firstRun < numFrames)
    {
        products.add<true> (left + firstRun, right + firstRun, leftRing.get(), rightRing.get(), toKeep - firstRun);
        products.add<false> (left + toKeep, right + toKeep, nullptr, nullptr, numFrames - toKeep);
    }

    if (toKeep > 0)
        frameCounters.written.store (written + (std::uint32_t) toKeep, std::memory_order_release);

    pushSums (products.total (numFrames));
}

void SignalScopeFeed::pushSums (const Sums& blockSums) noexcept
{
    // A non-finite sample would make every later correlation NaN: such a block is left out.
    if (std::isfinite (blockSums.ll + blockSums.rr + blockSums.lr))
        pendingSums.add (blockSums);

    const auto written = sumsCounters.written.load (std::memory_order_relaxed);

    if (written - sumsCounters.read.load (std::memory_order_acquire) >= sumsCapacity)
        return;

    sumsRing[written & (sumsCapacity - 1)] = pendingSums;
    sumsCounters.written.store (written + 1, std::memory_order_release);
    pendingSums = {};
}

//==============================================================================
void SignalScopeFeed::setActive (bool shouldBeActive)
{
    if (shouldBeActive)
    {
        if (leftRing == nullptr)
        {
            leftRing = std::make_unique<float[]> (frameCapacity);
            rightRing = std::make_unique<float[]> (frameCapacity);
            sumsRing = std::make_unique<Sums[]> (sumsCapacity);
        }

        frameCounters.read.store (frameCounters.written.load (std::memory_order_acquire), std::memory_order_release);
        sumsCounters.read.store (sumsCounters.written.load (std::memory_order_acquire), std::memory_order_release);
    }

    // Release: the rings exist before the audio thread can see the feed active.
    active.store (shouldBeActive, std::memory_order_release);
}

int SignalScopeFeed::readFrames (float* left, float* right, int maxFrames) noexcept
{
    if (leftRing == nullptr || maxFrames <= 0)
        return 0;

    const auto read = frameCounters.read.load (std::memory_order_relaxed);
    const auto ready = frameCounters.written.load (std::memory_order_acquire) - read;
    const auto count = (int) std::min (ready, (std::uint32_t) maxFrames);
    const auto start = read & (frameCapacity - 1);
    const auto firstRun = std::min (count, (int) (frameCapacity - start));

    std::memcpy (left, leftRing.get() + start, sizeof (float) * (size_t) firstRun);
    std::memcpy (right, rightRing.get() + start, sizeof (float) * (size_t) firstRun);
    std::memcpy (left + firstRun, leftRing.get(), sizeof (float) * (size_t) (count - firstRun));
    std::memcpy (right + firstRun, rightRing.get(), sizeof (float) * (size_t) (count - firstRun));

    frameCounters.read.store (read + (std::uint32_t) count, std::memory_order_release);
    return count;
}

SignalScopeFeed::Sums SignalScopeFeed::takeSums() noexcept
{
    Sums total;

    if (sumsRing == nullptr)
        return total;

    const auto read = sumsCounters.read.load (std::memory_order_relaxed);
    const auto written = sumsCounters.written.load (std::memory_order_acquire);

    for (auto i = read; i != written; ++i)
        total.add (sumsRing[i & (sumsCapacity - 1)]);

    sumsCounters.read.store (written, std::memory_order_release);
    return total;
}
