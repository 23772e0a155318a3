#include "WydenzaAudioProcessor.h"

#include "editor/PlaceholderEditor.h"

#include <cmath>

WydenzaAudioProcessor::WydenzaAudioProcessor()
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    channelName = "No Channel Name";
    expertMode = 0.0;
    colourSchemeBrightness = 0.3f;
    lastEditorHeight = defaultEditorHeight;

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
}

WydenzaAudioProcessor::~WydenzaAudioProcessor() = default;

//==============================================================================
bool WydenzaAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    return layouts.getMainInputChannelSet() == juce::AudioChannelSet::stereo()
        && layouts.getMainOutputChannelSet() == juce::AudioChannelSet::stereo();
}

void WydenzaAudioProcessor::prepareToPlay (double, int)
{
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
    return new PlaceholderEditor (*this);
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
const juce::String WydenzaAudioProcessor::getProgramName (int)
{
    return "Init";
}

void WydenzaAudioProcessor::changeProgramName (int, const juce::String&)
{
}

void WydenzaAudioProcessor::getStateInformation (juce::MemoryBlock&)
{
}

void WydenzaAudioProcessor::setStateInformation (const void*, int)
{
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

    if (safeBassFilterReady && ! safeBassCoefficientsStale.exchange (false, std::memory_order_acquire))
        return;

    safeBassCoefficientsStale.store (false, std::memory_order_relaxed);
    const auto v = (double) parameters.getValue (index.safeBassFreq);
    safeBassCoefficients = SafeBassFilter::makeCoefficients (sampleRate, 10.0 + 490.0 * v);
    chain.setSafeBassCoefficients (safeBassCoefficients);
    safeBassFilterReady = true;
}

void WydenzaAudioProcessor::readBlockSettings (StereoChainSettings& s) const noexcept
{
    const auto on = [this] (int i) { return parameters.getValue (i) > 0.5f; };

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
    juce::ScopedNoDenormals noDenormals;

    const auto sampleRate = getSampleRate();

    if (sampleRate != lastSampleRate.load (std::memory_order_relaxed))
    {
        lastSampleRate.store (sampleRate, std::memory_order_relaxed);
        safeBassCoefficientsStale.store (true, std::memory_order_relaxed);
        refreshEditor();
    }

    applySafeBassCoefficientsIfNeeded (sampleRate);

    inputGain.store (gainForNormalisedDecibels (parameters.getValue (index.inputGain)), std::memory_order_relaxed);
    outputGain.store (gainForNormalisedDecibels (parameters.getValue (index.outputGain)), std::memory_order_relaxed);

    StereoChainSettings settings;
    readBlockSettings (settings);

    const auto numSamples = buffer.getNumSamples();

    if (numSamples > 0 && buffer.getNumChannels() >= 2)
    {
        const auto peaks = chain.process (buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples, settings,
                                          parameters.getByIndex (index.width)->getValueSource(),
                                          parameters.getByIndex (index.pan)->getValueSource());
        raisePeak (inputPeakLeft, peaks.inputLeft);
        raisePeak (inputPeakRight, peaks.inputRight);
        raisePeak (outputPeakLeft, peaks.outputLeft);
        raisePeak (outputPeakRight, peaks.outputRight);
    }

    for (auto channel = 2; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new WydenzaAudioProcessor();
}
