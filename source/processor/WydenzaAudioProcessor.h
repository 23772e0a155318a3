#pragma once

#include "ParameterSet.h"
#include "StereoChain.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

/** The plug-in instance the host creates: parameters, the stereo chain, state, presets and undo. */
class WydenzaAudioProcessor : public juce::AudioProcessor
{
public:
    WydenzaAudioProcessor();
    ~WydenzaAudioProcessor() override;

    //==============================================================================
    const juce::String getName() const override { return "Wydenza"; }
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override {}
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    const juce::String getInputChannelName (int channelIndex) const override;
    const juce::String getOutputChannelName (int channelIndex) const override;
    bool isInputChannelStereoPair (int) const override { return true; }
    bool isOutputChannelStereoPair (int) const override { return true; }
    bool silenceInProducesSilenceOut() const override { return true; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    //==============================================================================
    // The host's index-based parameter interface, answered from the parameter set.
    static constexpr int numHostParameters = 50;

    int getNumParameters() override { return numHostParameters; }
    const juce::String getParameterName (int index) override { return parameters.getName (index); }
    float getParameter (int index) override { return parameters.getValue (index); }
    const juce::String getParameterText (int index) override { return parameters.getText (index); }
    int getParameterNumSteps (int) override { return 2147483647; }
    bool isParameterAutomatable (int) const override { return true; }
    juce::String getParameterLabel (int) const override { return {}; }
    juce::String getParameterID (int index) override;
    float getParameterDefaultValue (int index) override;
    void setParameter (int index, float newValue) override;

    //==============================================================================
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override;
    void changeProgramName (int, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    ParameterSet& getParameterSet() noexcept { return parameters; }
    const ParameterSet& getParameterSet() const noexcept { return parameters; }

    /** "(unknown)" before the first block, otherwise the rate in whole hertz ("44100 Hz"). */
    juce::String getSampleRateText() const;
    juce::String getChannelName() const { return channelName; }

    /** Asks an open editor to reload its controls and size. Safe from any thread: the request is a flag
        that the editor's timer takes up on the message thread.
    */
    void refreshEditor() noexcept;
    /** True once after each refresh request; the editor calls this on its timer. */
    bool takeEditorRefreshRequest() noexcept;
    /** Parameters changed by the host since the last call, one bit per index; the editor's timer
        updates the matching controls without sending change notifications.
    */
    juce::uint32 takeChangedParameters() noexcept;

    /** Recomputes the safe-bass coefficients for a normalised crossover at the current sample rate.
        Any thread may ask; the audio thread applies them at the next block start.
    */
    void updateSafeBassFilter (double normalisedFrequency) noexcept;

    /** Linear peaks since the last call; each read clears the peak in the same atomic step. */
    float takeInputPeakLeft() noexcept { return inputPeakLeft.exchange (0.0f, std::memory_order_relaxed); }
    float takeInputPeakRight() noexcept { return inputPeakRight.exchange (0.0f, std::memory_order_relaxed); }
    float takeOutputPeakLeft() noexcept { return outputPeakLeft.exchange (0.0f, std::memory_order_relaxed); }
    float takeOutputPeakRight() noexcept { return outputPeakRight.exchange (0.0f, std::memory_order_relaxed); }

    float getInputGainFactor() const noexcept { return inputGain.load (std::memory_order_relaxed); }
    float getOutputGainFactor() const noexcept { return outputGain.load (std::memory_order_relaxed); }

    //==============================================================================
    // Editor-related values, saved with the state and read and written by the editor directly.
    juce::String channelName;
    double expertMode = 0.0;
    int defaultEditorHeight = 540;
    int lastEditorHeight = 540;
    float defaultEditorDesktopHeightRatio = 0.5f;
    float colourSchemeBrightness = 0.3f;

private:
    void readBlockSettings (StereoChainSettings& settings) const noexcept;
    void applySafeBassCoefficientsIfNeeded (double sampleRate) noexcept;
    static void raisePeak (std::atomic<float>& peak, float level) noexcept;
    static float gainForNormalisedDecibels (float v) noexcept;

    struct ParameterIndices
    {
        int bypass, width, pan, inputGain, outputGain, swap, flip, mono, muteAll, muteMid, muteSide;
        int panCurve, panLaw, msMode, panMode, safeBassFreq, safeBass;
    };

    std::atomic<double> lastSampleRate { 0.0 };

    ParameterSet parameters;
    ParameterIndices index {};

    std::atomic<float> inputPeakLeft { 0.0f }, inputPeakRight { 0.0f };
    std::atomic<float> outputPeakLeft { 0.0f }, outputPeakRight { 0.0f };
    std::atomic<float> inputGain { 1.0f }, outputGain { 1.0f };

    StereoChain chain;
    juce::IIRCoefficients safeBassCoefficients;
    std::atomic<bool> safeBassCoefficientsStale { true };
    bool safeBassFilterReady = false;

    std::atomic<bool> editorRefreshRequested { false };
    std::atomic<juce::uint32> changedParameters { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WydenzaAudioProcessor)
};
