// processBlock must never allocate or take a lock: either can stall the host's audio thread.
#include "AudioThreadGuard.h"
#include "HardeningHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace hardening;

namespace
{
/** Runs one block on this thread with the guard armed around processBlock only. */
AudioThreadGuard::Counts processGuarded (WydenzaAudioProcessor& p, juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    AudioThreadGuard guard;
    p.processBlock (buffer, midi);
    return guard.getCounts();
}

/** Sets the switches from the bits of a mask and the choices from a mixed-radix number. */
void applyCombination (WydenzaAudioProcessor& p, int switchMask, int choiceNumber)
{
    for (size_t s = 0; s < switchNames.size(); ++s)
        p.setParameter (indexOf (p, switchNames[s]), (switchMask >> s) & 1 ? 1.0f : 0.0f);

    for (const auto& choice : choices)
    {
        p.setParameter (indexOf (p, choice.name), 0.1f * (float) (choiceNumber % choice.numValues));
        choiceNumber /= choice.numValues;
    }
}
} // namespace

TEST (RealtimeSafety, TheGuardSeesAllocationsAndLocksOnItsOwnThreadOnly)
{
    std::mutex mutex;
    std::atomic<int> phase { 0 };

    // Waits until this thread is armed, then allocates and locks on its own.
    std::thread other ([&]
                       {
                           while (phase.load() != 1)
                               std::this_thread::yield();

                           {
                               std::unique_ptr<int> q (new int (4));
                               std::lock_guard<std::mutex> lock (mutex);
                           }
                           phase.store (2); });

    AudioThreadGuard::Counts own, afterOther;

    {
        AudioThreadGuard guard;
        auto* p = new int (3);
        asm volatile(""
                     :
                     : "g"(p)
                     : "memory"); // the allocation must really happen
        delete p;
        auto* block = std::malloc (16);
        asm volatile(""
                     :
                     : "g"(block)
                     : "memory");
        std::free (block);
        {
            std::lock_guard<std::mutex> lock (mutex);
        }
        own = guard.getCounts();

        phase.store (1);

        while (phase.load() != 2)
            std::this_thread::yield();

        afterOther = guard.getCounts();
    }

    other.join();

    EXPECT_EQ (own.allocations, 4u);
    EXPECT_EQ (own.locks, 1u);
    EXPECT_EQ (afterOther.allocations, own.allocations);
    EXPECT_EQ (afterOther.locks, own.locks);
}

TEST (RealtimeSafety, EveryCombinationOfSwitchesAndChoicesProcessesWithoutAllocationOrLock)
{
    WydenzaAudioProcessor p;
    prepare (p, 44100.0, 256);

    juce::AudioBuffer<float> buffer (2, 256);
    juce::MidiBuffer midi;
    const auto crossover = indexOf (p, "SafeBassFreq");
    const auto width = indexOf (p, "StereoWidth");
    const auto pan = indexOf (p, "Pan");
    const auto gain = indexOf (p, "InputGain");

    auto numChoiceCombinations = 1;

    for (const auto& choice : choices)
        numChoiceCombinations *= choice.numValues;

    AudioThreadGuard::Counts total;
    auto frame = 0;
    auto blocks = 0;

    for (auto switchMask = 0; switchMask < (1 << switchNames.size()); ++switchMask)
    {
        for (auto choiceNumber = 0; choiceNumber < numChoiceCombinations; ++choiceNumber)
        {
            applyCombination (p, switchMask, choiceNumber);

            // Automation between blocks, from the audio thread as many hosts send it: the crossover
            // change makes the next block compute new filter coefficients.
            {
                AudioThreadGuard guard;
                p.setParameter (crossover, (float) ((switchMask + choiceNumber) % 11) / 10.0f);
                p.setParameter (width, (float) (choiceNumber % 5) / 4.0f);
                p.setParameter (pan, (float) (switchMask % 7) / 6.0f);
                p.setParameter (gain, (float) (choiceNumber % 3) / 2.0f);
                const auto counts = guard.getCounts();
                total.allocations += counts.allocations;
                total.locks += counts.locks;
            }

            // A change of sample rate on the way, as after the host switched its device.
            if (switchMask == 128 && choiceNumber == 0)
                p.setRateAndBufferSizeDetails (96000.0, 256);

            fillWithSignal (buffer, frame);
            frame += buffer.getNumSamples();
            const auto counts = processGuarded (p, buffer, midi);
            total.allocations += counts.allocations;
            total.locks += counts.locks;
            ++blocks;
        }
    }

    EXPECT_EQ (blocks, 256 * 36);
    EXPECT_EQ (total.allocations, 0u) << "first: " << AudioThreadGuard::firstOffender();
    EXPECT_EQ (total.locks, 0u) << "first: " << AudioThreadGuard::firstOffender();
    EXPECT_EQ (p.getSampleRateText(), "96000 Hz");
}

TEST (RealtimeSafety, AutomationDuringBlocksAndReadsOfThePeaksAddNoAllocationOrLock)
{
    WydenzaAudioProcessor p;
    prepare (p, 48000.0, 512);
    p.setParameter (indexOf (p, "SafeBass"), 1.0f);

    std::atomic<bool> stop { false };
    std::atomic<int> automationRounds { 0 };

    // Another thread moves every parameter (the reserved host slots too) while blocks run.
    std::thread automation ([&]
                            {
                                juce::Random random (7);

                                while (! stop.load())
                                {
                                    for (auto i = 0; i < WydenzaAudioProcessor::numHostParameters; ++i)
                                        p.setParameter (i, random.nextFloat());

                                    automationRounds.fetch_add (1);
                                    std::this_thread::yield();
                                } });

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    AudioThreadGuard::Counts total;
    auto blocks = 0;

    while (blocks < 2000 || automationRounds.load() < 50)
    {
        if (blocks == 1000)
            p.setRateAndBufferSizeDetails (44100.0, 512);

        fillWithSignal (buffer, blocks * 512);

        AudioThreadGuard guard;
        p.processBlock (buffer, midi);
        // The meters' reads are lock-free too, whichever thread makes them.
        p.takeOutputPeakLeft();
        p.takeOutputPeakRight();
        const auto counts = guard.getCounts();
        total.allocations += counts.allocations;
        total.locks += counts.locks;
        ++blocks;
    }

    stop.store (true);
    automation.join();

    EXPECT_GE (automationRounds.load(), 50);
    EXPECT_EQ (total.allocations, 0u) << "first: " << AudioThreadGuard::firstOffender();
    EXPECT_EQ (total.locks, 0u) << "first: " << AudioThreadGuard::firstOffender();
}

TEST (RealtimeSafety, ABlockOfAnyLengthProcessesWithoutAllocationOrLock)
{
    WydenzaAudioProcessor p;
    prepare (p, 44100.0, 4096);
    p.setParameter (indexOf (p, "SafeBass"), 1.0f);
    juce::MidiBuffer midi;
    AudioThreadGuard::Counts total;

    // The host may hand over fewer samples than prepared, or none at all.
    for (const auto length : { 0, 1, 2, 3, 7, 64, 333, 4096 })
    {
        juce::AudioBuffer<float> buffer (2, length);
        fillWithSignal (buffer, 0);
        const auto counts = processGuarded (p, buffer, midi);
        total.allocations += counts.allocations;
        total.locks += counts.locks;
    }

    EXPECT_EQ (total.allocations, 0u) << "first: " << AudioThreadGuard::firstOffender();
    EXPECT_EQ (total.locks, 0u) << "first: " << AudioThreadGuard::firstOffender();
}

TEST (RealtimeSafety, TheSignalScopeHandOverAddsNoAllocationOrLock)
{
    WydenzaAudioProcessor p;
    prepare (p, 48000.0, 4096);
    auto& feed = p.getSignalScopeFeed();
    feed.setActive (true); // the reader's side allocates the rings, before any block
    std::vector<float> left (SignalScopeFeed::frameCapacity), right (SignalScopeFeed::frameCapacity);
    juce::MidiBuffer midi;
    AudioThreadGuard::Counts total;
    auto frame = 0;
    juce::int64 framesRead = 0, framesSummed = 0;

    // Blocks of every kind of length, wrapping the rings, filling them while nobody reads (the frames
    // are dropped, the sums kept), then read empty; the reader's calls are lock-free too.
    for (auto round = 0; round < 600; ++round)
    {
        juce::AudioBuffer<float> buffer (2, round % 7 == 0 ? 4096 : 1 + (round * 37) % 700);
        fillWithSignal (buffer, frame);
        frame += buffer.getNumSamples();

        AudioThreadGuard guard;
        p.processBlock (buffer, midi);

        if (round % 100 > 60)
        {
            framesRead += feed.readFrames (left.data(), right.data(), 5000);
            framesSummed += feed.takeSums().frames;
        }

        const auto counts = guard.getCounts();
        total.allocations += counts.allocations;
        total.locks += counts.locks;
    }

    // Every frame was summed; the ring dropped some while nobody read.
    EXPECT_EQ (framesSummed, frame);
    EXPECT_GT (framesRead, 0);
    EXPECT_LT (framesRead, frame);
    EXPECT_EQ (total.allocations, 0u) << "first: " << AudioThreadGuard::firstOffender();
    EXPECT_EQ (total.locks, 0u) << "first: " << AudioThreadGuard::firstOffender();
}
