// The host's threads meet in the processor: automation on one, audio on another, state, presets and the
// editor's timer on the message thread. Built under ThreadSanitizer too, where any data race fails the run.
#include "HardeningHelpers.h"
#include "PresetTestHelpers.h"
#include "editor/SignalScopeReader.h"
#include "editor/WydenzaAudioProcessorEditor.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetNameOrder.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using namespace hardening;

namespace
{
using Clock = std::chrono::steady_clock;
constexpr auto runTime = std::chrono::milliseconds (2500);

/** Host automation: every host index, the reserved ones included, from one thread until told to stop.
    Remembers the last value it wrote to each index.
*/
class AutomationThread
{
public:
    explicit AutomationThread (WydenzaAudioProcessor& processorToAutomate, bool alsoRenames = false)
        : processor (processorToAutomate),
          renames (alsoRenames),
          thread ([this]
                  { run(); })
    {
    }

    ~AutomationThread() { stopAndJoin(); }

    void stopAndJoin()
    {
        stop.store (true);

        if (thread.joinable())
            thread.join();
    }

    int getRounds() const { return rounds.load(); }

    /** Returns once a whole round has begun and ended after the call: every index then holds a value
        written after whatever the caller wrote before.
    */
    void waitForAFreshRound() const
    {
        const auto start = rounds.load();

        while (rounds.load() < start + 2)
            std::this_thread::yield();
    }

    /** Valid once the thread has been joined. */
    std::array<float, WydenzaAudioProcessor::numHostParameters> lastWritten {};

private:
    void run()
    {
        juce::Random random (11);

        while (! stop.load())
        {
            for (auto i = 0; i < WydenzaAudioProcessor::numHostParameters; ++i)
            {
                // Mostly the normal range, sometimes beyond it as some hosts send.
                const auto value = random.nextInt (10) == 0 ? random.nextFloat() * 3.0f - 1.0f : random.nextFloat();
                processor.setParameter (i, value);
                lastWritten[(size_t) i] = value;
            }

            // What a host's own threads ask for: texts and the program name, and now and then a rename.
            processor.getParameterText (random.nextInt (WydenzaAudioProcessor::numHostParameters));
            processor.getProgramName (0);

            if (renames && rounds.load() % 50 == 0)
                processor.changeProgramName (0, "Host " + juce::String (rounds.load()));

            rounds.fetch_add (1);
        }
    }

    WydenzaAudioProcessor& processor;
    const bool renames;
    std::atomic<bool> stop { false };
    std::atomic<int> rounds { 0 };
    std::thread thread;
};

/** The host's audio thread: blocks of a test signal until told to stop. */
class AudioThread
{
public:
    explicit AudioThread (WydenzaAudioProcessor& processorToRun)
        : processor (processorToRun),
          thread ([this]
                  { run(); })
    {
    }

    ~AudioThread() { stopAndJoin(); }

    void stopAndJoin()
    {
        stop.store (true);

        if (thread.joinable())
            thread.join();
    }

    int getBlocks() const { return blocks.load(); }

private:
    void run()
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;

        while (! stop.load())
        {
            fillWithSignal (buffer, blocks.load() * 256);
            processor.processBlock (buffer, midi);
            blocks.fetch_add (1);
        }
    }

    WydenzaAudioProcessor& processor;
    std::atomic<bool> stop { false };
    std::atomic<int> blocks { 0 };
    std::thread thread;
};

/** What the editor's timer does on the message thread: read and clear the meters and the flags. */
struct EditorTimerStandIn
{
    void tick (WydenzaAudioProcessor& p)
    {
        for (const auto peak : { p.takeInputPeakLeft(), p.takeInputPeakRight(), p.takeOutputPeakLeft(), p.takeOutputPeakRight() })
        {
            if (! (peak >= 0.0f))
                ++badPeaks;
        }

        p.takeChangedParameters();
        p.takeEditorRefreshRequest();
        p.takeUndoRedoButtonsUpdate();
        p.getSampleRateText();
        ++ticks;
    }

    int ticks = 0;
    int badPeaks = 0;
};

void expectValuesAsLastWritten (WydenzaAudioProcessor& p, const AutomationThread& automation)
{
    for (auto i = 0; i < p.getParameterSet().size(); ++i)
        EXPECT_EQ (p.getParameter (i), automation.lastWritten[(size_t) i]) << p.getParameterName (i);

    for (auto i = p.getParameterSet().size(); i < WydenzaAudioProcessor::numHostParameters; ++i)
        EXPECT_EQ (p.getParameter (i), 0.0f) << "reserved index " << i;
}

/** Lets messages posted from other threads (renames from the host) run on this, the message thread. */
void dispatchMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
}

class ConcurrencyTest : public PresetTestEnvironment
{
};
} // namespace

TEST_F (ConcurrencyTest, AutomationBlocksAndMeterReadsLeaveTheLastWrittenValues)
{
    auto p = makeProcessor();
    prepare (*p, 44100.0, 256);

    EditorTimerStandIn timer;
    AudioThread audio (*p);
    AutomationThread automation (*p);

    const auto end = Clock::now() + runTime;

    while (Clock::now() < end || automation.getRounds() < 100 || audio.getBlocks() < 100)
    {
        timer.tick (*p);
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    automation.stopAndJoin();
    audio.stopAndJoin();

    EXPECT_EQ (timer.badPeaks, 0);
    expectValuesAsLastWritten (*p, automation);

    // The meters still work: a known block gives its peaks once, then nothing until the next block.
    for (auto i = 0; i < p->getParameterSet().size(); ++i)
        p->setParameter (i, p->getParameterDefaultValue (i));

    timer.tick (*p);
    juce::AudioBuffer<float> buffer (2, 64);
    buffer.clear();
    buffer.setSample (0, 10, -0.25f);
    buffer.setSample (1, 20, 0.125f);
    juce::MidiBuffer midi;
    p->processBlock (buffer, midi);

    EXPECT_FLOAT_EQ (p->takeInputPeakLeft(), 0.25f);
    EXPECT_FLOAT_EQ (p->takeInputPeakRight(), 0.125f);
    EXPECT_EQ (p->takeInputPeakLeft(), 0.0f);
    EXPECT_EQ (p->takeInputPeakRight(), 0.0f);
}

TEST_F (ConcurrencyTest, StateAndPresetOperationsOnTheMessageThreadWhileTheHostAutomatesAndPlays)
{
    auto p = makeProcessor();
    prepare (*p, 48000.0, 256);
    ASSERT_TRUE (p->saveUserPreset ("Race A", false));
    ASSERT_TRUE (p->saveUserPreset ("Race B", true));

    juce::MemoryBlock savedChunk;
    p->selectFactoryPreset (3);
    p->getStateInformation (savedChunk);

    EditorTimerStandIn timer;
    AudioThread audio (*p);
    AutomationThread automation (*p, true);

    const auto end = Clock::now() + runTime;
    auto operations = 0;

    while (Clock::now() < end || operations < 200)
    {
        juce::MemoryBlock chunk;

        switch (operations % 10)
        {
            case 0:
                p->getStateInformation (chunk);
                p->setStateInformation (chunk.getData(), (int) chunk.getSize());
                break;
            case 1:
                p->setStateInformation (savedChunk.getData(), (int) savedChunk.getSize());
                break;
            case 2:
                p->selectFactoryPreset (operations % FactoryPresets::numPresets);
                break;
            case 3:
                p->nextPreset();
                break;
            case 4:
                p->previousPreset();
                break;
            case 5:
                p->saveUserPreset (operations % 20 == 5 ? "Race A" : "Race B", operations % 3 == 0);
                break;
            case 6:
                p->setParameterFromEditor ("StereoWidth", 0.75f, true);
                break;
            case 7:
                p->undo();
                break;
            case 8:
                p->redo();
                break;
            default:
                p->loadUserPreset (operations % 2);
                break;
        }

        timer.tick (*p);
        dispatchMessages();
        ++operations;
    }

    // The message thread writes last: a restore leaves the chunk's values.
    automation.stopAndJoin();
    dispatchMessages();
    p->setParameterFromEditor ("Pan", 0.3f, true);
    p->setStateInformation (savedChunk.getData(), (int) savedChunk.getSize());

    WydenzaAudioProcessor reference;
    reference.setStateInformation (savedChunk.getData(), (int) savedChunk.getSize());

    for (auto i = 0; i < p->getParameterSet().size(); ++i)
        EXPECT_EQ (p->getParameter (i), reference.getParameter (i)) << p->getParameterName (i);

    // The restored preset is named as it was saved, whatever the preset before it was.
    EXPECT_EQ (p->getProgramName (0), reference.getProgramName (0));

    audio.stopAndJoin();
    EXPECT_EQ (timer.badPeaks, 0);
    EXPECT_GT (audio.getBlocks(), 0);

    // Saving raced nothing into the files: both still read as presets with every parameter.
    for (const auto* name : { "Race A", "Race B" })
    {
        const auto tree = PresetFile::read (presetsFolder().getChildFile (juce::String (name) + PresetFile::fileExtension));
        ASSERT_TRUE (tree.isValid()) << name;
        EXPECT_EQ (tree.getNumChildren(), p->getParameterSet().size()) << name;
    }
}

TEST_F (ConcurrencyTest, HostAutomationAfterPresetOperationsIsWhatRemains)
{
    auto p = makeProcessor();
    prepare (*p, 44100.0, 256);

    AudioThread audio (*p);
    AutomationThread automation (*p);
    EditorTimerStandIn timer;

    const auto end = Clock::now() + runTime;
    auto operations = 0;

    while (Clock::now() < end || operations < 100)
    {
        juce::MemoryBlock chunk;
        p->getStateInformation (chunk);
        p->selectFactoryPreset (operations % FactoryPresets::numPresets);
        p->setStateInformation (chunk.getData(), (int) chunk.getSize());
        p->undo();
        timer.tick (*p);
        ++operations;
    }

    // The host writes last: whatever the message thread did, the automation's last values remain.
    automation.waitForAFreshRound();
    automation.stopAndJoin();
    audio.stopAndJoin();
    expectValuesAsLastWritten (*p, automation);
    EXPECT_EQ (timer.badPeaks, 0);

    // And the state chunk carries exactly those values.
    juce::MemoryBlock chunk;
    p->getStateInformation (chunk);
    WydenzaAudioProcessor restored;
    restored.setStateInformation (chunk.getData(), (int) chunk.getSize());

    for (auto i = 0; i < p->getParameterSet().size(); ++i)
        EXPECT_EQ (restored.getParameter (i), automation.lastWritten[(size_t) i]) << p->getParameterName (i);
}

namespace
{
/** Opens and closes the editor round after round while the host automates and plays: the editor's timers
    run, now and then it paints, as the window would get, and eachRound does what a test adds.
*/
void openAndCloseTheEditorWhileTheHostPlays (WydenzaAudioProcessor& processor, int rounds, const std::function<void (WydenzaAudioProcessorEditor&, int round)>& eachRound)
{
    AutomationThread automation (processor);
    AudioThread audio (processor);
    juce::Image canvas (juce::Image::ARGB, 810, 540, true, juce::SoftwareImageType());

    for (auto round = 0; round < rounds; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);

        juce::MessageManager::getInstance()->runDispatchLoopUntil (round % 10 == 0 ? 160 : 5);
        dynamic_cast<juce::Timer&> (*editor).timerCallback();

        if (round % 10 == 0)
        {
            juce::Graphics g (canvas);
            editor->paintEntireComponent (g, false);
        }

        eachRound (dynamic_cast<WydenzaAudioProcessorEditor&> (*editor), round);
        editor.reset();
        EXPECT_EQ (processor.getActiveEditor(), nullptr);
    }

    automation.stopAndJoin();
    audio.stopAndJoin();
    EXPECT_GT (audio.getBlocks(), rounds);
    EXPECT_GT (automation.getRounds(), rounds);
}
} // namespace

TEST (Concurrency, TheEditorOpensAndClosesWhileTheHostAutomatesAndPlays)
{
    WydenzaAudioProcessor processor;
    prepare (processor, 48000.0, 256);
    openAndCloseTheEditorWhileTheHostPlays (processor, 200, [&] (WydenzaAudioProcessorEditor&, int round)
                                            {
                                                if (round % 2 == 1)
                                                    processor.refreshEditor(); });
}

TEST_F (ConcurrencyTest, TheEditorWithTheSignalScopeOpensAndClosesWhileTheHostAutomatesAndPlays)
{
    auto p = makeProcessor();
    prepare (*p, 48000.0, 256);
    p->setSignalScopeShown (true);

    // The scope's own timer runs too; it is read, and now and then hidden and shown again.
    openAndCloseTheEditorWhileTheHostPlays (*p, 100, [] (WydenzaAudioProcessorEditor& editor, int round)
                                            {
                                                auto& reader = editor.getSignalScopeReader();
                                                ASSERT_TRUE (reader.isShown());
                                                reader.update();

                                                if (round % 7 == 3)
                                                {
                                                    reader.setShown (false);
                                                    reader.setShown (true);
                                                } });
    EXPECT_FALSE (p->getSignalScopeFeed().isActive());
}

TEST_F (ConcurrencyTest, AHostRestoresOnItsOwnThreadWhileTheEditorIsOpenAndAudioRuns)
{
    // Two states to restore in turn, each as another instance saved it.
    std::array<juce::MemoryBlock, 2> chunks;

    for (size_t i = 0; i < chunks.size(); ++i)
    {
        WydenzaAudioProcessor source;
        source.selectFactoryPreset (i == 0 ? 3 : 9);
        source.setParameterFromEditor ("Pan", i == 0 ? 0.2f : 0.7f, i == 0);
        source.channelName = i == 0 ? "First" : "Second";
        source.expertMode = (double) i;
        source.getStateInformation (chunks[i]);
    }

    auto p = makeProcessor();
    prepare (*p, 48000.0, 256);
    std::unique_ptr<juce::AudioProcessorEditor> editor (p->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);

    AudioThread audio (*p);
    std::atomic<bool> stop { false };
    std::atomic<int> restores { 0 };
    std::thread host ([&]
                      {
                          while (! stop.load())
                          {
                              const auto& chunk = chunks[(size_t) (restores.load() % 2)];
                              p->setStateInformation (chunk.getData(), (int) chunk.getSize());
                              p->getProgramName (0);
                              // Hosts save on their own threads too, while the editor's values change.
                              juce::MemoryBlock saved;
                              p->getStateInformation (saved);
                              restores.fetch_add (1);
                              std::this_thread::sleep_for (std::chrono::milliseconds (1));
                          } });

    const auto end = Clock::now() + runTime;

    while (Clock::now() < end || restores.load() < 200)
    {
        // The editor's timers and the restores posted to the message thread run here.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
        dynamic_cast<juce::Timer&> (*editor).timerCallback();
    }

    stop.store (true);
    host.join();
    dispatchMessages();
    dynamic_cast<juce::Timer&> (*editor).timerCallback();

    const auto& last = chunks[(size_t) ((restores.load() - 1) % 2)];
    EXPECT_EQ (stateOf (*p), last);
    EXPECT_FALSE (p->isPresetModified());
    EXPECT_EQ (p->getPresetDisplayName(), p->getProgramName (0));

    editor.reset();
    audio.stopAndJoin();
    EXPECT_GT (audio.getBlocks(), 0);
}

TEST_F (ConcurrencyTest, TwoInstancesScanOnTheirOwnThreadsWhileTheFolderChanges)
{
    juce::StringArray stable;

    for (auto i = 0; i < 20; ++i)
    {
        stable.add ("Stable " + juce::String (i));
        writeUserPreset (stable[i], { { "StereoWidth", 0.05f * (float) i } });
    }

    std::array<std::unique_ptr<WydenzaAudioProcessor>, 2> instances { makeProcessor(), makeProcessor() };
    std::atomic<bool> stop { false };
    std::atomic<int> scans { 0 }, badLists { 0 };

    const auto scanAndStep = [&] (WydenzaAudioProcessor& p)
    {
        while (! stop.load())
        {
            // Every list holds the files that never went away, once each, in order.
            const auto names = p.getUserPresetNames();
            auto ordered = true;

            for (auto i = 0; i + 1 < names.size(); ++i)
                ordered = ordered && PresetNameOrder::compare (names[i], names[i + 1]) < 0;

            for (const auto& name : stable)
                ordered = ordered && names.contains (name);

            if (! ordered)
                badLists.fetch_add (1);

            p.nextPreset();
            scans.fetch_add (1);
        }
    };

    std::thread first (scanAndStep, std::ref (*instances[0]));
    std::thread second (scanAndStep, std::ref (*instances[1]));

    const auto end = Clock::now() + runTime;

    for (auto round = 0; Clock::now() < end || scans.load() < 200; ++round)
    {
        // Files come, change, move and go; the stable ones are rewritten in place of themselves.
        const auto churn = "Churn " + juce::String (round % 7);
        writeUserPreset (churn, { { "Pan", 0.1f * (float) (round % 10) } }, round % 2 == 0);
        writeUserPreset (stable[round % stable.size()], { { "StereoWidth", 0.5f } });
        presetsFolder().getChildFile (churn + ".q7p").moveFileTo (presetsFolder().getChildFile ("Moved " + juce::String (round % 5) + ".q7p"));
        presetsFolder().getChildFile ("Moved " + juce::String ((round + 2) % 5) + ".q7p").deleteFile();
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    stop.store (true);
    first.join();
    second.join();
    EXPECT_EQ (badLists.load(), 0);

    // Once the folder rests, both list exactly what it holds.
    juce::StringArray held;

    for (const auto& file : presetsFolder().findChildFiles (juce::File::findFiles, false, "*.q7p"))
        held.add (file.getFileNameWithoutExtension());

    PresetNameOrder::sort (held);
    EXPECT_EQ (instances[0]->getUserPresetNames(), held);
    EXPECT_EQ (instances[1]->getUserPresetNames(), held);
}
