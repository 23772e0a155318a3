#pragma once

#include "ConnectedInputs.h"
#include "ParameterSet.h"
#include "PendingStateRestore.h"
#include "SharedText.h"
#include "SignalScopeFeed.h"
#include "StereoChain.h"
#include "UndoHistory.h"
#include "presets/PresetLibrary.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

/** The plug-in instance the host creates: parameters, the stereo chain, state, presets and undo. */
class WydenzaAudioProcessor : public juce::AudioProcessor,
                              private PresetLibrary::Owner
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
    /** processBlock for a host that hands separate input and output buffers (or the same, in place), which
        saves it a copy: numSamples frames from the inputs to the outputs. Any thread the host processes on. */
    void processStereo (const StereoBuffers& io, int numSamples) noexcept;
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

    /** The 17 parameters, followed by empty "reserved" slots where hosts address parameters by index
        (VST 2.4, and our own tools); formats whose hosts address them by ID list only the 17.
    */
    int getNumParameters() override { return exposesReservedSlots ? numHostParameters : parameters.size(); }
    using juce::AudioProcessor::getParameterName;
    using juce::AudioProcessor::getParameterText;
    const juce::String getParameterName (int parameterIndex) override { return parameters.getName (parameterIndex); }
    float getParameter (int parameterIndex) override { return parameters.getValue (parameterIndex); }
    const juce::String getParameterText (int parameterIndex) override { return parameters.getText (parameterIndex); }
    int getParameterNumSteps (int) override { return 2147483647; }
    bool isParameterAutomatable (int) const override { return true; }
    juce::String getParameterLabel (int) const override { return {}; }
    juce::String getParameterID (int parameterIndex) override;
    float getParameterDefaultValue (int parameterIndex) override;
    void setParameter (int parameterIndex, float newValue) override;

    //==============================================================================
    // One host program whose name is the current preset's display name.
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    /** The display name for any index (the restored one while a restore waits for the message thread);
        safe from any thread.
    */
    const juce::String getProgramName (int) override;
    /** Sets "PresetName" of the current preset through the undo manager, then tells the host. A call from
        another thread is carried out on the message thread.
    */
    void changeProgramName (int, const juce::String& newName) override;

    /** The "Q7PLUGINSETTINGS" element: editor values, program name, channel name and every parameter. */
    void getStateInformation (juce::MemoryBlock& destData) override;
    /** Restores a chunk from getStateInformation; anything else (foreign, corrupt, empty) changes nothing.
        The parameters take their values at once. The rest (the current preset and its name, the undo step,
        the editor's values) is carried out on the message thread: at once when called there, otherwise as
        soon as the message thread gets to it; until then getStateInformation and getProgramName answer with
        the restored values, so a host that runs no message loop gets back what it restored.
    */
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    // The current preset and the preset library. Message thread only.
    static constexpr const char* presetNameRejectedMessage = "PRESET NAME: new preset name not accepted !!!";

    /** A new preset tree named by the display name, holding every parameter's current value. */
    juce::ValueTree createPresetTree() { return presets->createPresetTree(); }
    /** Stores a value as "Value" of the parameter's child (recorded for undo; a new child is not). */
    void setParameterValueInTree (juce::ValueTree& tree, int parameterIndex, float value) { presets->setParameterValueInTree (tree, parameterIndex, value); }
    /** Makes the current preset equal to a loaded tree, through the undo manager. */
    void copyPresetInto (const juce::ValueTree& loadedTree) { presets->copyPresetInto (loadedTree); }
    /** Pushes a tree's name and parameter values into the processor and the current preset. */
    void applyPresetTree (const juce::ValueTree& tree) { presets->applyPresetTree (tree); }

    juce::String getPresetDisplayName() const { return presets->getPresetDisplayName(); }
    bool isPresetModified() const { return presets->isPresetModified(); }
    void setPresetModified (bool shouldBeModified) { presets->setPresetModified (shouldBeModified); }

    juce::StringArray getFactoryPresetNames() const { return presets->getFactoryPresetNames(); }
    /** Rescans the user presets folder and returns the names found. */
    juce::StringArray getUserPresetNames() { return presets->getUserPresetNames(); }
    void rescanUserPresets() { presets->rescanUserPresets(); }

    void selectFactoryPreset (int presetIndex)
    {
        applyPendingRestore();
        presets->selectFactoryPreset (presetIndex);
    }
    void loadUserPreset (int presetIndex)
    {
        applyPendingRestore();
        presets->loadUserPreset (presetIndex);
    }
    /** Loads the named user preset file; false (and nothing changed) when it is missing or not a preset. */
    bool loadUserPresetByName (const juce::String& name)
    {
        applyPendingRestore();
        return presets->loadUserPresetByName (name);
    }
    void nextPreset()
    {
        applyPendingRestore();
        presets->nextPreset();
    }
    void previousPreset()
    {
        applyPendingRestore();
        presets->previousPreset();
    }

    /** Saves the current preset as a user preset file. The name keeps only the characters of
        presetNameCharacters; returns false, leaving the preset and the lists as they were, when that
        leaves no name or the file could not be written.
    */
    bool saveUserPreset (const juce::String& name, bool compress)
    {
        applyPendingRestore();
        return presets->saveUserPreset (name, compress);
    }

    /** The rename rule for a name typed by the user: trimmed, reduced to presetNameCharacters and, when
        not empty, made the preset's name (one undo step). Returns the accepted name, or an empty string when
        rejected (the editor then shows presetNameRejectedMessage).
    */
    juce::String renamePresetFromEditor (const juce::String& typedName)
    {
        applyPendingRestore();
        return presets->renamePresetFromEditor (typedName);
    }

    /** Re-applies the current preset after the undo manager has undone or redone a step. */
    void reapplyCurrentPreset() { presets->reapplyCurrentPreset(); }

    juce::File getUserPresetsFolder() const { return presets->getUserPresetsFolder(); }
    int getCurrentPresetIndex() const noexcept { return presets->getCurrentPresetIndex(); }
    bool isSteppingFactoryPresets() const noexcept { return presets->isSteppingFactoryPresets(); }
    const juce::ValueTree& getPresetState() const noexcept { return presets->getPresetState(); }

    //==============================================================================
    // Undo and redo of the changes made in the editor. Message thread only.
    /** Sets a parameter by name, notifies the host and records the change in the current preset. */
    void setParameterFromEditor (const juce::String& parameterName, float value, bool endStep);
    /** Drag start of a control linked to a parameter. */
    void beginParameterGestureFromEditor (const juce::String& parameterName);
    /** Drag end: closes the gesture and the undo step, so one drag is one step. */
    void endParameterGestureFromEditor (const juce::String& parameterName);
    void endUndoStep() override { undoHistory.endStep(); }

    /** The UNDO and REDO buttons: undo or redo one step, then re-apply the current preset. */
    void undo();
    void redo();
    void clearUndoHistory() { undoHistory.clear(); }

    /** Publishes whether undo and redo are possible; an open editor picks this up on its timer. */
    void updateUndoRedoButtons() { undoHistory.publish(); }
    /** True once after each change of the undo state; the editor calls this on its timer. */
    bool takeUndoRedoButtonsUpdate() noexcept { return undoHistory.takeUpdate(); }
    bool canUndo() const noexcept { return undoHistory.canUndo(); }
    bool canRedo() const noexcept { return undoHistory.canRedo(); }

    juce::UndoManager& getUndoManager() noexcept { return undoHistory.getManager(); }

    //==============================================================================
    // The per-user settings file.
    /** "DefaultEditorDesktopHeightRatio" from the settings when greater than 0, otherwise 0.5. */
    float readDefaultEditorDesktopHeightRatio();
    /** defaultEditorHeight = main display height x ratio (1080 when no display is known); stores the ratio. */
    void updateDefaultEditorHeight();
    juce::PropertiesFile& getSettings() noexcept { return *settings; }

    /** Whether the editor shows the signal scope: a per-user setting, off until the user turns it on. */
    bool isSignalScopeShown() const;
    void setSignalScopeShown (bool shouldBeShown);

    /** The output handed to an open editor's signal scope; idle unless the editor activates it. */
    SignalScopeFeed& getSignalScopeFeed() noexcept { return signalScopeFeed; }

    /** Set by the standalone app when its device feeds only one of the two inputs. */
    ConnectedInputs& getConnectedInputs() noexcept { return connectedInputs; }

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
    /** True for an editor height that gives a usable window; a stored height outside this range (a
        corrupt state chunk, a settings ratio of 0.001 or 1000) is replaced by the default one.
    */
    static constexpr bool isUsableEditorHeight (int height) noexcept { return height >= 100 && height <= 16384; }

    // Editor-related values, saved with the state and read and written by the editor directly. The editor
    // writes them on the message thread while a host may save its project on another.
    SharedText channelName;
    std::atomic<double> expertMode { 0.0 };
    std::atomic<int> defaultEditorHeight { 540 };
    std::atomic<int> lastEditorHeight { 540 };
    std::atomic<float> defaultEditorDesktopHeightRatio { 0.5f };
    std::atomic<float> colourSchemeBrightness { 0.3f };

private:
    // What the preset library needs of the plug-in.
    int getNumPresetParameters() const override { return parameters.size(); }
    juce::String getPresetParameterName (int parameterIndex) const override { return parameters.getName (parameterIndex); }
    int indexOfPresetParameter (const juce::String& name) const override { return parameters.indexOf (name); }
    float getPresetParameterValue (int parameterIndex) const override { return parameters.getValue (parameterIndex); }
    void setParameterFromPreset (int parameterIndex, float value) override { setParameterNotifyingHostByIndex (parameterIndex, value); }
    void presetNameChanged() override { updateHostDisplay(); }
    void presetChanged() override { refreshEditor(); }
    void undoStateChanged() override { updateUndoRedoButtons(); }
    void addPresetMetadata (juce::ValueTree& tree) override;

    void setParameterNotifyingHostByIndex (int parameterIndex, float value);

    /** Carries out a restore that waits for the message thread (message thread only). Every operation of
        the message thread on the current preset calls it first, so that it acts on the restored preset.
    */
    void applyPendingRestore();
    /** The editor's values, the program name and the stepping direction as they are now. */
    PendingStateRestore::Settings currentSettings();
    static bool isMessageThreadOrNone();
    /** Runs the work on the message thread later, unless the instance is destroyed first. */
    void callOnMessageThread (std::function<void (WydenzaAudioProcessor&)> work);

    void readBlockSettings (StereoChainSettings& settings) const noexcept;
    void applySafeBassCoefficientsIfNeeded (double sampleRate) noexcept;
    static void raisePeak (std::atomic<float>& peak, float level) noexcept;
    static float gainForNormalisedDecibels (float v) noexcept;
    static void refreshGainFactor (std::atomic<float>& factor, float& valueOfFactor, float v) noexcept;

    struct ParameterIndices
    {
        int bypass, width, pan, inputGain, outputGain, swap, flip, mono, muteAll, muteMid, muteSide;
        int panCurve, panLaw, msMode, panMode, safeBassFreq, safeBass;
    };

    std::atomic<double> lastSampleRate { 0.0 };

    // Declared first so that it is released last: pending settings are written then.
    juce::PropertiesFile::Options settingsOptions;
    std::unique_ptr<juce::PropertiesFile> settings;

    UndoHistory undoHistory;

    ParameterSet parameters;
    ParameterIndices index {};
    // VST3 and LV2 hosts list every parameter they are given, so the empty slots would fill their menus.
    const bool exposesReservedSlots = wrapperType != wrapperType_VST3 && wrapperType != wrapperType_LV2;

    std::atomic<float> inputPeakLeft { 0.0f }, inputPeakRight { 0.0f };
    std::atomic<float> outputPeakLeft { 0.0f }, outputPeakRight { 0.0f };
    std::atomic<float> inputGain { 1.0f }, outputGain { 1.0f };
    // The parameter values the gain factors were last computed from at a block start (audio thread only).
    float blockInputGainValue = std::numeric_limits<float>::quiet_NaN();
    float blockOutputGainValue = std::numeric_limits<float>::quiet_NaN();

    StereoChain chain;
    SignalScopeFeed signalScopeFeed;
    ConnectedInputs connectedInputs;
    SafeBassFilter::Coefficients safeBassCoefficients;
    std::atomic<bool> safeBassCoefficientsStale { true };
    bool safeBassFilterReady = false;

    // Built once the parameters exist; released first.
    std::unique_ptr<PresetLibrary> presets;

    PendingStateRestore pendingRestore;
    bool applyingRestore = false;

    /** Whether the instance still exists, for work handed to the message thread from a host's thread. */
    struct Lifetime
    {
        std::mutex lock;
        WydenzaAudioProcessor* processor = nullptr;
    };

    std::shared_ptr<Lifetime> lifetime { std::make_shared<Lifetime>() };

    std::atomic<bool> editorRefreshRequested { false };
    std::atomic<juce::uint32> changedParameters { 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WydenzaAudioProcessor)
};
