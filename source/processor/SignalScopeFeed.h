#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

/**
    Hands the output from the audio thread to an editor's signal scope: the samples through a lock-free
    single-producer single-consumer ring, and the sums a correlation is made of (L x L, R x R, L x R over
    every frame, also those the ring had no room for) through a second one.

    Nothing happens until a reader activates the feed: then the audio thread copies each block once and
    sums it, without allocating, locking or waiting. While inactive, a block costs one atomic load. The
    rings are allocated by the first activation, on the reader's thread, and kept until the feed is
    destroyed, so the audio thread never sees them change. One reader at a time.
*/
class SignalScopeFeed
{
public:
    /** Frames the ring holds: over 80 ms at 192 kHz, so a reader polling at 30 Hz never falls behind. */
    static constexpr std::uint32_t frameCapacity = 16384;
    /** Block records the sums ring holds; when it is full the audio thread keeps adding to the last one. */
    static constexpr std::uint32_t sumsCapacity = 512;

    /** Sums over a run of frames. */
    struct Sums
    {
        double ll = 0.0, rr = 0.0, lr = 0.0;
        std::int64_t frames = 0;

        void add (const Sums& other) noexcept;
    };

    SignalScopeFeed();
    ~SignalScopeFeed();

    //==============================================================================
    /** Audio thread: hands over a block of output. */
    void push (const float* left, const float* right, int numFrames, double blockSampleRate) noexcept
    {
        if (active.load (std::memory_order_acquire))
            pushWhileActive (left, right, numFrames, blockSampleRate);
    }

    //==============================================================================
    // Reader side, one thread (the message thread).

    /** Starts or stops the hand-over. Starting drops whatever an earlier reader left unread. */
    void setActive (bool shouldBeActive);
    bool isActive() const noexcept { return active.load (std::memory_order_relaxed); }

    /** Moves up to maxFrames of the oldest frames waiting into the two arrays; returns how many. */
    int readFrames (float* left, float* right, int maxFrames) noexcept;

    /** The sums of every block handed over since the last call (frames 0 when none). Blocks with a
        non-finite sum are left out.
    */
    Sums takeSums() noexcept;

    /** The sample rate of the last block handed over, 0 before the first. */
    double getSampleRate() const noexcept { return sampleRate.load (std::memory_order_relaxed); }

private:
    /** Read and write counters of a ring; they only grow (wrapping), the slot is counter % capacity. */
    struct RingCounters
    {
        std::atomic<std::uint32_t> written { 0 }, read { 0 };
    };

    void pushWhileActive (const float* left, const float* right, int numFrames, double rate) noexcept;
    void pushSums (const Sums& blockSums) noexcept;

    std::atomic<bool> active { false };
    std::atomic<double> sampleRate { 0.0 };

    RingCounters frameCounters, sumsCounters;
    std::unique_ptr<float[]> leftRing, rightRing;
    std::unique_ptr<Sums[]> sumsRing;

    // Audio thread only: sums of blocks that found the sums ring full, handed over with the next block.
    Sums pendingSums;
    double lastPushedRate = 0.0;
};
