// The signal scope in the stereo field: known signals played through the real processor, read by the
// open editor's own reader, as a host's audio thread and the editor's timer would.
#include "EditorFixture.h"
#include "EditorImages.h"

#include "editor/SignalScopeReader.h"
#include "widgets/StereoComponent.h"

#include <limits>
#include <random>

using namespace editortests;

namespace
{
/** A signal shared by both channels, each channel's share of it and of noise of its own. */
struct Mix
{
    float left, right, ownNoise;
};

class SignalScopeTest : public EditorFixture
{
protected:
    SignalScopeTest()
    {
        processor.setRateAndBufferSizeDetails (48000.0, blockSize);
        processor.prepareToPlay (48000.0, blockSize);
    }

    /** The settings menu's item. */
    void chooseShowSignalScope() { panel().settingsMenuFinished (SettingsMenuItems::signalScopeItem); }

    /** Plays a mix through the processor in 10 ms blocks, its first frame NaN when asked; the reader
        ticks every 30 ms, as its timer does.
    */
    void play (Mix mix, double seconds, bool firstFrameNaN = false)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;

        for (auto block = 0; block < juce::roundToInt (seconds * 100.0); ++block)
        {
            for (auto i = 0; i < blockSize; ++i, ++frame)
            {
                const auto shared = 0.3f * std::sin (0.0144f * (float) frame) + noise (random);
                buffer.setSample (0, i, mix.left * shared + mix.ownNoise * noise (random));
                buffer.setSample (1, i, mix.right * shared + mix.ownNoise * noise (random));
            }

            if (block == 0 && firstFrameNaN)
                buffer.setSample (0, 0, std::numeric_limits<float>::quiet_NaN());

            processor.processBlock (buffer, midi);

            if (block % 3 == 2)
                editor->getSignalScopeReader().update();
        }

        editor->getSignalScopeReader().update();
    }

    StereoComponent& field() { return panel().getStereoField(); }
    juce::Image fieldSnapshot() { return field().createComponentSnapshot (field().getLocalBounds(), false); }

    static constexpr int blockSize = 480;
    int frame = 0;
    std::mt19937 random { 5 };
    std::normal_distribution<float> noise { 0.0f, 0.15f };
};

/** The top-level menu item with the given id, and the text of the one before it. */
std::pair<juce::PopupMenu::Item, juce::String> itemAndPredecessor (const juce::PopupMenu& menu, int id)
{
    juce::String before;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next(); before = it.getItem().text)
        if (it.getItem().itemID == id)
            return { it.getItem(), before };

    return {};
}
} // namespace

TEST_F (SignalScopeTest, IsOffByDefaultAndRememberedPerUserOutsideThePluginState)
{
    auto [item, before] = itemAndPredecessor (panel().buildSettingsMenu(), SettingsMenuItems::signalScopeItem);
    EXPECT_EQ (item.text, "Show Signal Scope");
    EXPECT_EQ (before, "Colour Scheme");
    EXPECT_FALSE (item.isTicked || field().isScopeShown() || processor.getSignalScopeFeed().isActive());

    juce::MemoryBlock stateBefore, stateAfter;
    processor.getStateInformation (stateBefore);
    chooseShowSignalScope();
    EXPECT_TRUE (itemAndPredecessor (panel().buildSettingsMenu(), SettingsMenuItems::signalScopeItem).first.isTicked);
    EXPECT_TRUE (field().isScopeShown() && processor.getSignalScopeFeed().isActive());
    processor.getStateInformation (stateAfter);
    EXPECT_EQ (stateAfter, stateBefore);

    // Closing the editor stops the hand-over; the next instance this user opens shows the scope.
    editor.reset();
    EXPECT_FALSE (processor.getSignalScopeFeed().isActive());
    ASSERT_TRUE (processor.getSettings().saveIfNeeded());
    WydenzaAudioProcessor next;
    std::unique_ptr<WydenzaAudioProcessorEditor> nextEditor (dynamic_cast<WydenzaAudioProcessorEditor*> (next.createEditorIfNeeded()));
    EXPECT_TRUE (nextEditor->isSignalScopeShown() && nextEditor->getMainPanel()->getStereoField().isScopeShown());
}

TEST_F (SignalScopeTest, TheCorrelationMeterReadsKnownSignalsAndNothingForSilence)
{
    const struct
    {
        const char* name;
        Mix mix;
        bool firstFrameNaN;
        float low, high; // no reading expected when low > high
    } cases[] = {
        { "identical", { 1.0f, 1.0f, 0.0f }, false, 0.99f, 1.0f },
        { "inverted", { 1.0f, -1.0f, 0.0f }, false, -1.0f, -0.99f },
        { "independent noise", { 0.0f, 0.0f, 1.0f }, false, -0.1f, 0.1f },
        { "silence after noise", { 0.0f, 0.0f, 0.0f }, false, 1.0f, 0.0f },
        { "identical after a NaN", { 1.0f, 1.0f, 0.0f }, true, 0.99f, 1.0f },
    };

    chooseShowSignalScope();

    for (const auto& c : cases)
    {
        // Two seconds: what came before has faded far below the reading's precision.
        play (c.mix, 2.0, c.firstFrameNaN);
        const auto reading = field().getScope().getCorrelation();
        ASSERT_EQ (reading.has_value(), c.low <= c.high) << c.name;

        if (reading.has_value())
        {
            EXPECT_GE (*reading, c.low) << c.name;
            EXPECT_LE (*reading, c.high) << c.name;
        }
    }

    // The gain stops at its maximum: noise at -100 dBFS leaves the goniometer dark, however long it lasts.
    play ({ 0.0f, 0.0f, 7.0e-5f }, 3.0);
    const juce::Image dark (juce::Image::ARGB, 101, 101, true, juce::SoftwareImageType());
    EXPECT_EQ (countDifferences (field().getScope().renderDots (101, 101), dark), 0);
}

TEST_F (SignalScopeTest, IdenticalChannelsPutEveryDotOnTheCentreColumn)
{
    chooseShowSignalScope();
    play ({ 1.0f, 1.0f, 0.0f }, 0.3);

    // On the screen: the only bluish pixels in the field are on one column, the centre line's.
    const auto image = fieldSnapshot();
    const auto fieldArea = StereoComponent::getFieldArea ((float) image.getWidth(), (float) image.getHeight()).toNearestInt();
    juce::SortedSet<int> blueColumns;
    auto bluePixels = 0;

    for (auto y = fieldArea.getY(); y < fieldArea.getBottom(); ++y)
        for (auto x = 0; x < image.getWidth(); ++x)
            if (const auto p = image.getPixelAt (x, y); p.getBlue() > p.getRed() + 20)
            {
                blueColumns.add (x);
                ++bluePixels;
            }

    EXPECT_GT (bluePixels, fieldArea.getHeight() / 4);
    ASSERT_EQ (blueColumns.size(), 1);
    EXPECT_NEAR ((float) blueColumns[0], (float) fieldArea.getCentreX(), 1.0f);
}

TEST_F (SignalScopeTest, ScreenshotsWithTheScopeWhileTheOtherScreensStayAsTheyWere)
{
    const auto plain = fieldSnapshot();
    chooseShowSignalScope();

    const std::pair<const char*, Mix> looks[] = { { "mix", { 1.0f, 0.85f, 0.6f } }, { "mono", { 1.0f, 1.0f, 0.0f } }, { "inverted", { 1.0f, -1.0f, 0.0f } } };

    for (const auto& [name, mix] : looks)
    {
        play (mix, 1.0);
        tick(); // the meters too
        savePng (paintEditor (*editor), juce::String ("editor-scope-") + name + "-" + juce::String (editor->getWidth()) + "x" + juce::String (editor->getHeight()));
    }

    // The bypass and mute-all captions hide the scope completely.
    for (const auto* name : { "Bypass", "MuteAll" })
    {
        hostSets (name, 1.0f);
        tick();
        const auto withScope = fieldSnapshot();
        chooseShowSignalScope();
        EXPECT_EQ (countDifferences (withScope, fieldSnapshot()), 0) << name;
        chooseShowSignalScope();
        hostSets (name, 0.0f);
        tick();
    }

    // Off again, the field is exactly as it was before the scope was ever shown.
    EXPECT_GT (countDifferences (plain, fieldSnapshot()), 0);
    chooseShowSignalScope();
    EXPECT_EQ (countDifferences (plain, fieldSnapshot()), 0);
}
