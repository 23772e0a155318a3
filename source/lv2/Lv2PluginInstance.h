#pragma once

#include "Lv2MessageLoop.h"
#include "Lv2ParameterPorts.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <memory>

class WydenzaAudioProcessor;

/** One LV2 DSP instance: the processor driven by the host's ports. run() processes the host's buffers in
    place (copying the input only when the host gives separate buffers), allocates nothing and takes no
    lock.
*/
class Lv2PluginInstance : private juce::AudioProcessorListener
{
public:
    /** maxBlockLength is a hint: longer blocks are processed too. map may be null (then no state). */
    Lv2PluginInstance (double sampleRate, int maxBlockLength, const LV2_URID_Map* map);
    ~Lv2PluginInstance() override;

    void connectPort (uint32_t port, void* data) noexcept;
    void activate();
    void run (uint32_t numFrames) noexcept;

    LV2_State_Status save (LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore (LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    WydenzaAudioProcessor& getProcessor() noexcept { return *processor; }
    Lv2ParameterPorts& getParameterPorts() noexcept { return parameterPorts; }

private:
    void writeOutputEvents() noexcept;
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override;

    // Declared first: the framework and its message loop outlive the processor.
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    Lv2MessageLoop::BackgroundUser messageLoop;
    std::unique_ptr<WydenzaAudioProcessor> processor;
    Lv2ParameterPorts parameterPorts;

    struct Urids
    {
        LV2_URID stateString = 0, program = 0, atomString = 0, atomInt = 0, atomSequence = 0, atomObject = 0, stateChanged = 0;
    } urids;

    const float* audioInputs[2] {};
    float* audioOutputs[2] {};
    LV2_Atom_Sequence* eventOutputBuffer = nullptr;
    float* latencyOutput = nullptr;
    const float* freeWheelingInput = nullptr;
    const float* enabledInput = nullptr;

    // For hosts that leave an output unconnected: processed into, then dropped.
    juce::HeapBlock<float> scratch;
    int scratchLength = 0;
    juce::MidiBuffer noMidi;
    bool wasFreeWheeling = false;
    std::atomic<bool> stateChangedForHost { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Lv2PluginInstance)
};
