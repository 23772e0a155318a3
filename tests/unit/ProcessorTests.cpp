#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

TEST (Processor, AnswersTheHostsParameterQueriesFromTheSet)
{
    WydenzaAudioProcessor p;
    const char* names[] = { "Bypass", "StereoWidth", "Pan", "InputGain", "OutputGain", "SwapLR", "PhaseFlip", "Mono", "MuteAll", "MuteMid", "MuteSide", "PanCurve", "PanLaw", "MsMode", "PanMode", "SafeBassFreq", "SafeBass" };
    const float defaults[] = { 0, 0.5f, 0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 0, 0, 0.1f, 0, 0, 0.1f, 0.286f, 0 };

    ASSERT_EQ (p.getNumParameters(), 50);
    std::set<juce::String> ids;

    for (int i = 0; i < 50; ++i)
    {
        EXPECT_EQ (p.getParameterNumSteps (i), 2147483647);
        EXPECT_TRUE (p.isParameterAutomatable (i));
        EXPECT_TRUE (p.getParameterLabel (i).isEmpty());
        ids.insert (p.getParameterID (i));

        if (i < 17)
        {
            EXPECT_EQ (p.getParameterName (i), names[i]);
            EXPECT_EQ (p.getParameter (i), defaults[i]);
            EXPECT_EQ (p.getParameterDefaultValue (i), defaults[i]);
            EXPECT_EQ (p.getParameterSet().indexOf (names[i]), i);
        }
        else
        {
            EXPECT_EQ (p.getParameterName (i), "reserved");
            EXPECT_EQ (p.getParameter (i), 0.0f);
            EXPECT_TRUE (p.getParameterText (i).isEmpty());
        }
    }

    EXPECT_EQ (ids.size(), 50u) << "parameter IDs must be unique";
    EXPECT_EQ (p.getParameterID (1), "StereoWidth");
    EXPECT_EQ (p.getParameterID (17), "reserved17");
    EXPECT_EQ (p.getParameterSet().getName (-1), "invalid parameter");
    EXPECT_EQ (p.getParameterSet().getValue (-1), 0.0f);
    EXPECT_EQ (p.getParameterSet().getValueByName ("stereowidth"), 0.0f) << "names are case-sensitive";
    EXPECT_EQ (p.getParameterText (1), "100 %");
    EXPECT_EQ (p.getParameterText (15), "150Hz");
}

TEST (Processor, SetParameterStoresUnclampedAndUpdatesTheGains)
{
    WydenzaAudioProcessor p;
    p.takeChangedParameters();

    p.setParameter (20, 0.7f);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ (p.getParameter (i), p.getParameterDefaultValue (i));
    EXPECT_EQ (p.takeChangedParameters(), 0u) << "an ignored index must not reach the editor";

    p.setParameter (4, 1.0f);
    EXPECT_NEAR (p.getOutputGainFactor(), 3.981f, 1e-3f);
    p.setParameter (4, 0.0f);
    EXPECT_NEAR (p.getOutputGainFactor(), 0.251f, 1e-3f);
    p.setParameter (3, 0.75f);
    EXPECT_NEAR (p.getInputGainFactor(), 1.9953f, 1e-3f);

    p.setParameter (1, 1.5f);
    EXPECT_EQ (p.getParameter (1), 1.5f);
    p.setParameter (2, -0.25f);
    EXPECT_EQ (p.getParameter (2), -0.25f);

    EXPECT_EQ (p.takeChangedParameters(), (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4));
    EXPECT_EQ (p.takeChangedParameters(), 0u);
}

TEST (Processor, ReportsItsIdentityChannelsAndRate)
{
    WydenzaAudioProcessor p;
    EXPECT_EQ (p.getName(), "Wydenza");
    EXPECT_EQ (p.getInputChannelName (0), "1");
    EXPECT_EQ (p.getInputChannelName (1), "2");
    EXPECT_EQ (p.getOutputChannelName (1), "2");
    EXPECT_EQ (p.getTotalNumInputChannels(), 2);
    EXPECT_EQ (p.getTotalNumOutputChannels(), 2);
    EXPECT_FALSE (p.acceptsMidi() || p.producesMidi());
    EXPECT_EQ (p.getSampleRateText(), "(unknown)");

    juce::AudioProcessor::BusesLayout mono;
    mono.inputBuses.add (juce::AudioChannelSet::mono());
    mono.outputBuses.add (juce::AudioChannelSet::mono());
    EXPECT_FALSE (p.checkBusesLayoutSupported (mono));

    p.setRateAndBufferSizeDetails (44100.4, 64);
    p.takeEditorRefreshRequest();
    juce::AudioBuffer<float> buffer (2, 64);
    buffer.clear();
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
    EXPECT_EQ (p.getSampleRateText(), "44100 Hz");
    EXPECT_TRUE (p.takeEditorRefreshRequest()) << "a new rate asks the editor to refresh";
    p.processBlock (buffer, midi);
    EXPECT_FALSE (p.takeEditorRefreshRequest()) << "the same rate does not";
}

TEST (Processor, PeaksAreRaisedByBlocksAndClearedByEachRead)
{
    WydenzaAudioProcessor p;
    p.setRateAndBufferSizeDetails (48000.0, 16);
    juce::AudioBuffer<float> buffer (2, 16);
    buffer.clear();
    buffer.setSample (0, 3, -0.7f);
    buffer.setSample (1, 5, 0.25f);
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);

    buffer.clear();
    buffer.setSample (0, 0, 0.1f);
    p.processBlock (buffer, midi);

    EXPECT_FLOAT_EQ (p.takeInputPeakLeft(), 0.7f);
    EXPECT_FLOAT_EQ (p.takeInputPeakRight(), 0.25f);
    EXPECT_FLOAT_EQ (p.takeOutputPeakLeft(), 0.7f);
    EXPECT_FLOAT_EQ (p.takeOutputPeakRight(), 0.25f);
    EXPECT_EQ (p.takeInputPeakLeft(), 0.0f);
    EXPECT_EQ (p.takeOutputPeakRight(), 0.0f);

    // An empty block performs the block start only.
    juce::AudioBuffer<float> empty (2, 0);
    p.processBlock (empty, midi);
    EXPECT_EQ (p.takeInputPeakLeft(), 0.0f);
}

TEST (Processor, RestoringAStateTellsTheFormatAdapterEveryValue)
{
    struct Recorder : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override { values[index] = value; }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        std::map<int, float> values;
    };

    WydenzaAudioProcessor source;
    source.setParameter (1, 0.8f);
    source.setParameter (15, 0.4f);
    juce::MemoryBlock state;
    source.getStateInformation (state);

    WydenzaAudioProcessor target;
    Recorder recorder;
    target.addListener (&recorder);
    target.setStateInformation (state.getData(), (int) state.getSize());
    target.removeListener (&recorder);

    ASSERT_EQ (recorder.values.size(), 17u);
    EXPECT_EQ (recorder.values[1], 0.8f);
    EXPECT_EQ (recorder.values[15], 0.4f);
    EXPECT_EQ (recorder.values[2], 0.5f);
}

TEST (Processor, RestoringAStateInTheVst2AdapterAsksTheHostToReadTheValuesInsteadOfAutomatingThem)
{
    struct Recorder : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { automated.insert (index); }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override { toldToReread |= details.parameterInfoChanged; }
        std::set<int> automated;
        bool toldToReread = false;
    };

    WydenzaAudioProcessor source;
    source.setParameter (1, 0.8f);
    juce::MemoryBlock state;
    source.getStateInformation (state);

    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_VST);
    WydenzaAudioProcessor target;
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    Recorder recorder;
    target.addListener (&recorder);
    target.setStateInformation (state.getData(), (int) state.getSize());
    target.removeListener (&recorder);

    EXPECT_TRUE (recorder.automated.empty());
    EXPECT_TRUE (recorder.toldToReread);
    EXPECT_EQ (target.getParameter (1), 0.8f);
}

TEST (Processor, ASettingOneInstanceStoresOutlivesAnotherInstanceThatGoesLater)
{
    for (const auto shown : { true, false })
    {
        auto older = std::make_unique<WydenzaAudioProcessor>();
        auto changing = std::make_unique<WydenzaAudioProcessor>();
        changing->setSignalScopeShown (shown);
        changing.reset();
        older.reset();

        EXPECT_EQ (WydenzaAudioProcessor().isSignalScopeShown(), shown);
    }
}
