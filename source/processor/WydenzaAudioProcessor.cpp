#include "WydenzaAudioProcessor.h"

#include "PluginStateXml.h"
#include "SettingsFile.h"
#include "editor/WydenzaAudioProcessorEditor.h"
#include "presets/PresetMetadata.h"
#include "presets/PresetTree.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdlib>
#include <limits>

WydenzaAudioProcessor::WydenzaAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    lifetime->processor = this;

    settingsOptions = SettingsFile::makeOptions();
    settings = SettingsFile::open (settingsOptions);

    channelName = "No Channel Name";
    expertMode = 0.0;

    defaultEditorDesktopHeightRatio = readDefaultEditorDesktopHeightRatio();
    updateDefaultEditorHeight();
    colourSchemeBrightness = 0.3f;
    lastEditorHeight = defaultEditorHeight.load();

    using Kind = ParameterDisplayKind;
    index.bypass = parameters.addParameter ("Bypass", 0.0f, Kind::bypassSwitch).index;
    index.width = parameters.addParameter ("StereoWidth", 0.5f, Kind::widthPercent).index;
    index.pan = parameters.addParameter ("Pan", 0.5f, Kind::panPosition).index;
    index.inputGain = parameters.addParameter ("InputGain", 0.5f, Kind::gainDecibels).index;
    index.outputGain = parameters.addParameter ("OutputGain", 0.5f, Kind::gainDecibels).index;
    index.swap = parameters.addParameter ("SwapLR", 0.0f, Kind::swapSwitch).index;
    index.flip = parameters.addParameter ("PhaseFlip", 0.0f, Kind::phaseSwitch).index;
    index.mono = parameters.addParameter ("Mono", 0.0f, Kind::monoSwitch).index;
    index.muteAll = parameters.addParameter ("MuteAll", 0.0f, Kind::muteAllSwitch).index;
    index.muteMid = parameters.addParameter ("MuteMid", 0.0f, Kind::muteMidSwitch).index;
    index.muteSide = parameters.addParameter ("MuteSide", 0.0f, Kind::muteSideSwitch).index;
    index.panCurve = parameters.addParameter ("PanCurve", 0.1f, Kind::panCurveChoice).index;
    index.panLaw = parameters.addParameter ("PanLaw", 0.0f, Kind::panLawChoice).index;
    index.msMode = parameters.addParameter ("MsMode", 0.0f, Kind::msModeChoice).index;
    index.panMode = parameters.addParameter ("PanMode", 0.1f, Kind::panModeChoice).index;
    index.safeBassFreq = parameters.addParameter ("SafeBassFreq", 0.286f, Kind::bassFrequency).index;
    index.safeBass = parameters.addParameter ("SafeBass", 0.0f, Kind::safeBassSwitch).index;

    inputGain.store (gainForNormalisedDecibels (parameters.getValue (index.inputGain)), std::memory_order_relaxed);
    outputGain.store (gainForNormalisedDecibels (parameters.getValue (index.outputGain)), std::memory_order_relaxed);

    safeBassFilterReady = false;
    updateSafeBassFilter (parameters.getValue (index.safeBassFreq));

    // The current preset, the factory presets and the user preset list, recorded by the undo history.
    presets = std::make_unique<PresetLibrary> (static_cast<PresetLibrary::Owner&> (*this), undoHistory.getManager(), *settings);

    endUndoStep();
}

WydenzaAudioProcessor::~WydenzaAudioProcessor()
{
    // Work handed to the message thread and not yet done is dropped; work under way is waited for.
    {
        const std::lock_guard<std::mutex> guard (lifetime->lock);
        lifetime->processor = nullptr;
    }

    presets.reset();
    settings.reset();
}

//==============================================================================
bool WydenzaAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
           && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

void WydenzaAudioProcessor::prepareToPlay (double, int)
{
    // A restart begins from silence: the high-pass must not carry what it held when the host stopped.
    // Never called while processBlock runs, so the audio thread's state may be touched here.
    chain.resetSafeBassFilter();
    refreshEditor();
}

const juce::String WydenzaAudioProcessor::getInputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

const juce::String WydenzaAudioProcessor::getOutputChannelName (int channelIndex) const
{
    return juce::String (channelIndex + 1);
}

juce::AudioProcessorEditor* WydenzaAudioProcessor::createEditor()
{
    return new WydenzaAudioProcessorEditor (*this);
}

//==============================================================================
juce::String WydenzaAudioProcessor::getParameterID (int parameterIndex)
{
    // Stable identifiers for hosts that address parameters by ID (VST3, LV2): never change them.
    if (auto* p = parameters.getByIndex (parameterIndex))
        return p->name;

    return "reserved" + juce::String (parameterIndex);
}

float WydenzaAudioProcessor::getParameterDefaultValue (int parameterIndex)
{
    if (auto* p = parameters.getByIndex (parameterIndex))
        return p->defaultValue;

    return 0.0f;
}

void WydenzaAudioProcessor::setParameter (int parameterIndex, float newValue)
{
    if (! juce::isPositiveAndBelow (parameterIndex, parameters.size()))
        return;

    parameters.setValue (parameterIndex, newValue);

    if (parameterIndex == index.outputGain)
        outputGain.store (gainForNormalisedDecibels (parameters.getValue (index.outputGain)), std::memory_order_relaxed);
    else if (parameterIndex == index.inputGain)
        inputGain.store (gainForNormalisedDecibels (parameters.getValue (index.inputGain)), std::memory_order_relaxed);
    else if (parameterIndex == index.safeBassFreq)
        updateSafeBassFilter (parameters.getValue (index.safeBassFreq));

    changedParameters.fetch_or (juce::uint32 (1) << parameterIndex, std::memory_order_relaxed);
}

//==============================================================================
namespace
{
constexpr const char* editorSettingNames[] = { "defaultEditorHeight", "lastEditorHeight", "colourSchemeBrightnessAsDouble", "channelName", "expertModeAsDouble" };

/** What a "Q7PLUGINSETTINGS" element restores besides the parameter values. */
PendingStateRestore::Restore restoreOf (const juce::XmlElement& xml)
{
    PendingStateRestore::Restore restore;

    const auto holdsEditorSettings = [&xml]
    {
        for (auto* name : editorSettingNames)
            if (xml.hasAttribute (name))
                return true;

        return false;
    }();
    restore.keepsEditorSettings = ! holdsEditorSettings;

    // A height that cannot give a usable window (zero, negative, absurd) falls back to the default one.
    if (const auto stored = xml.getIntAttribute ("defaultEditorHeight"); xml.hasAttribute ("defaultEditorHeight") && WydenzaAudioProcessor::isUsableEditorHeight (stored))
        restore.defaultEditorHeight = stored;

    if (const auto stored = xml.getIntAttribute ("lastEditorHeight"); xml.hasAttribute ("lastEditorHeight") && WydenzaAudioProcessor::isUsableEditorHeight (stored))
        restore.lastEditorHeight = stored;

    // A corrupt number must not reach the editor as NaN or infinity.
    const auto finiteOrZero = [] (double v)
    { return PresetTree::fitsAFloat (v) ? v : 0.0; };

    restore.colourSchemeBrightness = (float) finiteOrZero (xml.getDoubleAttribute ("colourSchemeBrightnessAsDouble", 0.0));
    restore.programName = xml.getStringAttribute ("programName", "(NO NAME)");

    if (xml.hasAttribute ("channelName"))
        restore.channelName = xml.getStringAttribute ("channelName");

    restore.expertMode = finiteOrZero (xml.getDoubleAttribute ("expertModeAsDouble", 0.0));

    // 1 and 0 choose the list NEXT and PREV step through; any stored value has the preset looked up again.
    if (const auto stepFactory = xml.getIntAttribute ("stepFactoryPresets", -1); stepFactory != -1)
    {
        if (stepFactory == 0 || stepFactory == 1)
            restore.stepFactoryPresets = stepFactory == 1;

        restore.relocationName = restore.programName;
    }

    return restore;
}
} // namespace

const juce::String WydenzaAudioProcessor::getProgramName (int)
{
    if (const auto pending = pendingRestore.peek())
        return pending->restore.programName;

    if (juce::MessageManager::existsAndIsCurrentThread())
        return getPresetDisplayName();

    return presets->getDisplayNameFromAnyThread();
}

void WydenzaAudioProcessor::changeProgramName (int, const juce::String& newName)
{
    if (! isMessageThreadOrNone())
    {
        callOnMessageThread ([newName] (WydenzaAudioProcessor& processor)
                             {
                                 processor.applyPendingRestore();
                                 processor.presets->setPresetName (newName); });
        return;
    }

    applyPendingRestore();
    presets->setPresetName (newName);
}

//==============================================================================
void WydenzaAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    auto state = currentSettings();

    // A restore that waits for the message thread is what the host must get back.
    if (const auto pending = pendingRestore.peek())
        pending->restore.applyTo (state);

    juce::XmlElement xml (PluginStateXml::tagName);
    xml.setAttribute ("defaultEditorHeight", state.defaultEditorHeight);
    xml.setAttribute ("lastEditorHeight", state.lastEditorHeight);
    xml.setAttribute ("colourSchemeBrightnessAsDouble", (double) state.colourSchemeBrightness);
    xml.setAttribute ("programName", state.programName);
    xml.setAttribute ("channelName", state.channelName);
    xml.setAttribute ("expertModeAsDouble", state.expertMode);
    xml.setAttribute ("stepFactoryPresets", state.stepFactoryPresets ? 1 : 0);

    for (auto i = 0; i < parameters.size(); ++i)
        xml.setAttribute (parameters.getName (i), (double) parameters.getValue (i));

    PluginStateXml::pack (xml, destData);
}

void WydenzaAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto xml = PluginStateXml::unpack (data, sizeInBytes);

    if (xml == nullptr)
        return;

    const auto onMessageThread = isMessageThreadOrNone();

    // An earlier restore from another thread that still waits is carried out first.
    if (onMessageThread)
        applyPendingRestore();

    // A corrupt number must not reach the signal chain as NaN or infinity, nor become infinite on the way
    // to single precision.
    for (auto i = 0; i < parameters.size(); ++i)
    {
        const auto value = xml->getDoubleAttribute (parameters.getName (i), 0.0);
        parameters.setValue (i, (float) (PresetTree::fitsAFloat (value) ? value : 0.0));
    }

    // The restored crossover takes effect at the next block.
    safeBassCoefficientsStale.store (true, std::memory_order_release);

    // Format adapters that keep their own copy of the values (an LV2 host learns them only this way)
    // must hear of the restored ones. The VST 2.4 adapter would pass each one on as the user's automation,
    // and a host records that as an edit (Qtractor then calls a session it has just opened modified): a
    // VST 2.4 host is told to read all values again instead.
    if (wrapperType == wrapperType_VST)
        updateHostDisplay (ChangeDetails().withParameterInfoChanged (true));
    else
        for (auto i = 0; i < parameters.size(); ++i)
            sendParamChangeMessageToListeners (i, parameters.getValue (i));

    pendingRestore.post (restoreOf (*xml));

    if (onMessageThread)
    {
        applyPendingRestore();
        return;
    }

    callOnMessageThread ([] (WydenzaAudioProcessor& processor)
                         { processor.applyPendingRestore(); });
}

void WydenzaAudioProcessor::callOnMessageThread (std::function<void (WydenzaAudioProcessor&)> work)
{
    // Hosts may destroy an instance on any thread, even while the message thread is about to do its work:
    // the lock keeps the instance alive for the work, or the work from a destroyed instance.
    juce::MessageManager::callAsync ([token = lifetime, work = std::move (work)]
                                     {
                                         const std::lock_guard<std::mutex> guard (token->lock);

                                         if (token->processor != nullptr)
                                             work (*token->processor); });
}

void WydenzaAudioProcessor::applyPendingRestore()
{
    // A host may call back into the processor while a restore is carried out; the outer call finishes it.
    if (applyingRestore)
        return;

    const juce::ScopedValueSetter<bool> applying (applyingRestore, true);
    auto applied = false;

    while (const auto pending = pendingRestore.peek())
    {
        applied = true;
        auto state = currentSettings();
        pending->restore.applyTo (state);

        defaultEditorHeight = state.defaultEditorHeight;
        lastEditorHeight = state.lastEditorHeight;
        colourSchemeBrightness = state.colourSchemeBrightness;
        channelName = state.channelName;
        expertMode = state.expertMode;

        presets->rebuildAfterRestore (pending->restore.programName, pending->restore.stepFactoryPresets, pending->restore.relocationName);

        // The restore is one undo step of its own. Left open, the step would grow with every restore a host
        // makes, each one keeping the replaced preset tree alive, and the undo limits could never trim it.
        endUndoStep();
        pendingRestore.done (*pending);
    }

    if (applied)
        refreshEditor();
}

PendingStateRestore::Settings WydenzaAudioProcessor::currentSettings()
{
    PendingStateRestore::Settings state;
    state.defaultEditorHeight = defaultEditorHeight;
    state.lastEditorHeight = lastEditorHeight;
    state.colourSchemeBrightness = colourSchemeBrightness;
    state.programName = juce::MessageManager::existsAndIsCurrentThread() ? getPresetDisplayName() : presets->getDisplayNameFromAnyThread();
    state.channelName = channelName;
    state.expertMode = expertMode;
    state.stepFactoryPresets = isSteppingFactoryPresets();
    return state;
}

bool WydenzaAudioProcessor::isMessageThreadOrNone()
{
    // Without a message manager there is no message thread, and no editor to race.
    const auto* messageManager = juce::MessageManager::getInstanceWithoutCreating();
    return messageManager == nullptr || messageManager->isThisTheMessageThread();
}

//==============================================================================
//==============================================================================
//==============================================================================
void WydenzaAudioProcessor::setParameterNotifyingHostByIndex (int parameterIndex, float value)
{
    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    setParameterNotifyingHost (parameterIndex, value);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void WydenzaAudioProcessor::setParameterFromEditor (const juce::String& parameterName, float value, bool endStep)
{
    const auto parameterIndex = parameters.indexOf (parameterName);

    if (parameterIndex < 0)
        return;

    applyPendingRestore();
    setParameterNotifyingHostByIndex (parameterIndex, value);
    presets->recordParameterChange (parameterIndex, value);

    if (endStep)
        endUndoStep();
}

void WydenzaAudioProcessor::beginParameterGestureFromEditor (const juce::String& parameterName)
{
    const auto parameterIndex = parameters.indexOf (parameterName);

    if (parameterIndex < 0)
        return;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    beginParameterChangeGesture (parameterIndex);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE
}

void WydenzaAudioProcessor::endParameterGestureFromEditor (const juce::String& parameterName)
{
    const auto parameterIndex = parameters.indexOf (parameterName);

    if (parameterIndex < 0)
        return;

    JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")
    endParameterChangeGesture (parameterIndex);
    JUCE_END_IGNORE_WARNINGS_GCC_LIKE

    endUndoStep();
}

void WydenzaAudioProcessor::undo()
{
    applyPendingRestore();
    undoHistory.undo();
    reapplyCurrentPreset();
}

void WydenzaAudioProcessor::redo()
{
    applyPendingRestore();
    undoHistory.redo();
    reapplyCurrentPreset();
}

void WydenzaAudioProcessor::addPresetMetadata (juce::ValueTree& tree)
{
    PresetMetadata::addTo (tree, *this, juce::Time::getCurrentTime());
}

//==============================================================================
float WydenzaAudioProcessor::readDefaultEditorDesktopHeightRatio()
{
    return SettingsFile::readHeightRatio (*settings);
}

namespace
{
/** On X11 the framework opens ":0" when DISPLAY is unset, so a process without a display of its own (the
    renderer, a headless host) would reach whatever X server answers there, and die with it.
*/
bool hasADisplayToAsk()
{
#if JUCE_LINUX || JUCE_BSD
    const auto* name = std::getenv ("DISPLAY");
    return name != nullptr && *name != 0;
#else
    return true;
#endif
}
} // namespace

void WydenzaAudioProcessor::updateDefaultEditorHeight()
{
    // Without a display (a renderer, CI, a host that loads plug-ins before any window exists) the framework
    // may list none: a 1080-pixel display is assumed then.
    auto displayHeight = 1080;

    if (juce::MessageManager::getInstanceWithoutCreating() != nullptr && hasADisplayToAsk())
    {
        const auto& displays = juce::Desktop::getInstance().getDisplays().displays;

        if (! displays.isEmpty() && displays.getReference (0).totalArea.getHeight() > 0)
            displayHeight = displays.getReference (0).totalArea.getHeight();
    }

    defaultEditorHeight = juce::roundToInt ((float) displayHeight * defaultEditorDesktopHeightRatio);

    // A ratio from a damaged settings file must not give an unusable window: the standard half is used then.
    if (! isUsableEditorHeight (defaultEditorHeight))
    {
        defaultEditorDesktopHeightRatio = 0.5f;
        defaultEditorHeight = juce::roundToInt ((float) displayHeight * defaultEditorDesktopHeightRatio);
    }
    if (settings->getDoubleValue (SettingsFile::heightRatioKey, -1.0) != (double) defaultEditorDesktopHeightRatio)
        SettingsFile::store (*settings, SettingsFile::heightRatioKey, (double) defaultEditorDesktopHeightRatio);
}

bool WydenzaAudioProcessor::isSignalScopeShown() const
{
    return SettingsFile::readSignalScopeShown (*settings);
}

void WydenzaAudioProcessor::setSignalScopeShown (bool shouldBeShown)
{
    SettingsFile::store (*settings, SettingsFile::signalScopeKey, shouldBeShown);
}

//==============================================================================
juce::String WydenzaAudioProcessor::getSampleRateText() const
{
    const auto rate = lastSampleRate.load (std::memory_order_relaxed);

    if (rate == 0.0)
        return "(unknown)";

    return juce::String (juce::roundToInt (rate)) + " Hz";
}

void WydenzaAudioProcessor::refreshEditor() noexcept
{
    editorRefreshRequested.store (true, std::memory_order_relaxed);
}

bool WydenzaAudioProcessor::takeEditorRefreshRequest() noexcept
{
    return editorRefreshRequested.exchange (false, std::memory_order_relaxed);
}

juce::uint32 WydenzaAudioProcessor::takeChangedParameters() noexcept
{
    return changedParameters.exchange (0, std::memory_order_relaxed);
}

void WydenzaAudioProcessor::updateSafeBassFilter (double) noexcept
{
    // The coefficients belong to the audio thread; it recomputes them from "SafeBassFreq" at the next
    // block start, so a change from any other thread never races the per-sample filter.
    safeBassCoefficientsStale.store (true, std::memory_order_release);
}

//==============================================================================
void WydenzaAudioProcessor::refreshGainFactor (std::atomic<float>& factor, float& valueOfFactor, float v) noexcept
{
    // The power is only worth taking again when the parameter moved since the last block.
    if (v != valueOfFactor)
    {
        valueOfFactor = v;
        factor.store (gainForNormalisedDecibels (v), std::memory_order_relaxed);
    }
}

float WydenzaAudioProcessor::gainForNormalisedDecibels (float v) noexcept
{
    return std::pow (10.0f, (24.0f * v - 12.0f) / 20.0f);
}

void WydenzaAudioProcessor::raisePeak (std::atomic<float>& peak, float level) noexcept
{
    auto current = peak.load (std::memory_order_relaxed);

    while (level > current && ! peak.compare_exchange_weak (current, level, std::memory_order_relaxed))
    {
    }
}

void WydenzaAudioProcessor::applySafeBassCoefficientsIfNeeded (double sampleRate) noexcept
{
    if (sampleRate <= 0.0)
        return;

    // A plain load first: the exchange is a locked instruction, not worth paying at every block.
    if (safeBassFilterReady && ! safeBassCoefficientsStale.load (std::memory_order_relaxed))
        return;

    safeBassCoefficientsStale.exchange (false, std::memory_order_acquire);
    // A host may send any value: past about half the sample rate the high-pass would turn unstable and
    // its output would grow without bound, so the crossover stays below that.
    const auto v = (double) parameters.getValue (index.safeBassFreq);
    const auto crossoverHz = juce::jlimit (1.0, 0.45 * sampleRate, std::isfinite (v) ? 10.0 + 490.0 * v : 10.0);
    safeBassCoefficients = SafeBassFilter::makeCoefficients (sampleRate, crossoverHz);
    chain.setSafeBassCoefficients (safeBassCoefficients);
    safeBassFilterReady = true;
}

void WydenzaAudioProcessor::readBlockSettings (StereoChainSettings& s) const noexcept
{
    const auto on = [this] (int i)
    { return parameters.getValue (i) > 0.5f; };

    s.inputGain = inputGain.load (std::memory_order_relaxed);
    s.outputGain = outputGain.load (std::memory_order_relaxed);
    s.bypass = on (index.bypass);
    s.muteAll = on (index.muteAll);
    s.muteMid = on (index.muteMid);
    s.muteSide = on (index.muteSide);
    s.swap = on (index.swap);
    s.flip = on (index.flip);
    s.mono = on (index.mono);
    s.safeBass = safeBassFilterReady && on (index.safeBass) && parameters.getValue (index.safeBassFreq) > 0.0f;
    s.panCurve = parameters.getValue (index.panCurve);
    s.panLaw = parameters.getValue (index.panLaw);
    s.panMode = parameters.getValue (index.panMode);
    s.msMode = parameters.getValue (index.msMode);
}

void WydenzaAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    const auto numSamples = buffer.getNumSamples();
    const auto stereo = numSamples > 0 && buffer.getNumChannels() >= 2;
    auto* left = stereo ? buffer.getWritePointer (0) : nullptr;
    auto* right = stereo ? buffer.getWritePointer (1) : nullptr;

    if (stereo)
        connectedInputs.apply (left, right, numSamples);

    processStereo ({ left, right, left, right }, stereo ? numSamples : 0);

    for (auto channel = 2; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);
}

void WydenzaAudioProcessor::processStereo (const StereoBuffers& io, int numSamples) noexcept
{
    // The control register is left as the host set it: the chain flushes subnormals itself, for less than
    // the two register writes a scoped flush-to-zero would cost every block.
    const auto sampleRate = getSampleRate();

    if (sampleRate != lastSampleRate.load (std::memory_order_relaxed))
    {
        lastSampleRate.store (sampleRate, std::memory_order_relaxed);
        safeBassCoefficientsStale.store (true, std::memory_order_relaxed);
        refreshEditor();
    }

    applySafeBassCoefficientsIfNeeded (sampleRate);

    refreshGainFactor (inputGain, blockInputGainValue, parameters.getValue (index.inputGain));
    refreshGainFactor (outputGain, blockOutputGainValue, parameters.getValue (index.outputGain));

    StereoChainSettings blockSettings;
    readBlockSettings (blockSettings);

    if (numSamples > 0)
    {
        const auto peaks = chain.process (io, numSamples, blockSettings, parameters.getByIndex (index.width)->getValueSource(), parameters.getByIndex (index.pan)->getValueSource());
        raisePeak (inputPeakLeft, peaks.inputLeft);
        raisePeak (inputPeakRight, peaks.inputRight);
        raisePeak (outputPeakLeft, peaks.outputLeft);
        raisePeak (outputPeakRight, peaks.outputRight);
        signalScopeFeed.push (io.outLeft, io.outRight, numSamples, sampleRate);
    }
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new WydenzaAudioProcessor();
}
