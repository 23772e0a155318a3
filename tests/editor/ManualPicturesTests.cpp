// The pictures of the editor in docs/ are what this build draws: the panel at 810x540 at the Init preset
// with a mix at a usual level playing through the real processor, read by the editor's own meters and
// scope. A committed picture that differs fails; the build's own lands in the test output folder, to be
// looked at and copied over when the change is meant.
#include "EditorFixture.h"
#include "EditorImages.h"

#include "editor/SettingsMenu.h"
#include "editor/SignalScopeReader.h"
#include "widgets/CvxQ7StereoVuMeterComponent.h"
#include "widgets/Palette.h"

#include <random>

using namespace editortests;

namespace
{
struct ManualPicture
{
    const char* name;
    std::function<void (EditorFixture&)> setUp;
};

void PrintTo (const ManualPicture& picture, std::ostream* os) { *os << picture.name; }

// Each picture ends with the pointer on a control, whose explanation the status line then shows: where the
// pointer was before is another test's.
const ManualPicture manualPictures[] = {
    { "editor-expert-bright-810x540", [] (EditorFixture& f)
      { f.click (f.find ("EXPERT MODE")); } },
    { "editor-easy-dark-810x540", [] (EditorFixture& f)
      { f.panel().setColourScheme (0.0f); f.moveTo (f.find ("NEXT")); } },
    { "editor-signal-scope-810x540", [] (EditorFixture& f)
      { f.panel().settingsMenuFinished (SettingsMenuItems::signalScopeItem); f.moveTo (f.find ("MONO")); } },
};

class ManualPicturesTest : public EditorFixture,
                           public ::testing::WithParamInterface<ManualPicture>
{
protected:
    ManualPicturesTest()
    {
        processor.setRateAndBufferSizeDetails (48000.0, blockSize);
        processor.prepareToPlay (48000.0, blockSize);
    }

    /** Two seconds of a mix peaking near -4 dBFS, a tone both channels share (the right one a little
        quieter) and noise of each channel's own, in 10 ms blocks; the scope reads every 30 ms and the
        meters every 70 ms, as their timers do.
    */
    void playMix()
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;

        for (auto block = 0; block < 200; ++block)
        {
            for (auto i = 0; i < blockSize; ++i, ++frame)
            {
                const auto shared = 0.25f * std::sin (0.0144f * (float) frame) + 0.08f * noise (random);
                buffer.setSample (0, i, shared + 0.05f * noise (random));
                buffer.setSample (1, i, 0.85f * shared + 0.05f * noise (random));
            }

            processor.processBlock (buffer, midi);

            if (block % 3 == 2)
                editor->getSignalScopeReader().update();

            if (block % 7 == 6)
                tick();
        }
    }

    static constexpr int blockSize = 480;
    int frame = 0;
    std::mt19937 random { 11 };
    std::normal_distribution<float> noise { 0.0f, 1.0f };
};

TEST_P (ManualPicturesTest, IsWhatThisBuildDrawsAtInitWithAMixPlaying)
{
    ASSERT_EQ (processor.getProgramName (processor.getCurrentProgram()), "Init");
    panel().setColourScheme (0.3f);
    GetParam().setUp (*this);
    editor->setSize (810, 540);
    playMix();
    const auto drawn = paintEditor (*editor);

    // At the neutral preset the output is the input: no read-out in the warning colour of a level past 0 dBFS.
    for (auto* meter : { &panel().getInputMeter(), &panel().getOutputMeter() })
        for (auto* child : meter->getChildren())
            if (auto* readOut = dynamic_cast<juce::Label*> (child))
            {
                EXPECT_TRUE (readOut->getText().startsWith ("-")) << readOut->getText();
                EXPECT_NE (readOut->findColour (juce::Label::textColourId), paletteOrange) << readOut->getText();
            }

    const auto committed = juce::File (WYDENZA_DOCS_DIR).getChildFile (juce::String (GetParam().name) + ".png");
    const auto picture = juce::ImageFileFormat::loadFrom (committed).convertedToFormat (juce::Image::ARGB);
    const auto differences = countDifferences (drawn, picture);

    if (differences != 0)
        savePng (drawn, GetParam().name);

    EXPECT_EQ (differences, 0) << committed.getFullPathName() << " differs from what this build draws (rows, or -1 for another size "
                               << "or no picture); this build's picture is in " << WYDENZA_EDITOR_TEST_OUTPUT;
}

INSTANTIATE_TEST_SUITE_P (Docs, ManualPicturesTest, ::testing::ValuesIn (manualPictures), [] (const auto& info)
                          { return juce::String (info.param.name).retainCharacters ("abcdefghijklmnopqrstuvwxyz").toStdString(); });
} // namespace
