#include "Lv2PluginInstance.h"

#include "Lv2LiveInstances.h"
#include "Lv2PortLayout.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cstring>

namespace
{
std::unique_ptr<WydenzaAudioProcessor> createProcessor()
{
    // The processor asks which format hosts it (LV2 hosts list no reserved parameter slots).
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_LV2);
    auto processor = std::make_unique<WydenzaAudioProcessor>();
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
    return processor;
}

LV2_URID mapped (const LV2_URID_Map* map, const char* uri)
{
    return map != nullptr && map->map != nullptr ? map->map (map->handle, uri) : 0;
}

/** A state string's declared size ("size.chars") must fit in its characters, 6 bits each. */
bool isPlausibleBase64State (const juce::String& text)
{
    const auto dot = text.indexOfChar ('.');
    const auto declared = text.substring (0, dot).getLargeIntValue();
    return dot > 0 && declared >= 0 && declared * 4 <= (juce::int64) (text.length() - dot) * 3 + 3;
}
} // namespace

Lv2PluginInstance::Lv2PluginInstance (double sampleRate, int maxBlockLength, const LV2_URID_Map* map)
    : processor (createProcessor()),
      parameterPorts (*processor)
{
    urids.stateString = mapped (map, Lv2Uris::stateString);
    urids.program = mapped (map, Lv2Uris::program);
    urids.atomString = mapped (map, LV2_ATOM__String);
    urids.atomInt = mapped (map, LV2_ATOM__Int);
    urids.atomSequence = mapped (map, LV2_ATOM__Sequence);
    urids.atomObject = mapped (map, LV2_ATOM__Object);
    urids.stateChanged = mapped (map, LV2_STATE__StateChanged);

    processor->setPlayConfigDetails ((int) Lv2PortLayout::numAudioChannels, (int) Lv2PortLayout::numAudioChannels, sampleRate, maxBlockLength);
    processor->prepareToPlay (sampleRate, maxBlockLength);
    processor->addListener (this);

    scratchLength = maxBlockLength;
    scratch.allocate ((size_t) scratchLength * Lv2PortLayout::numAudioChannels, true);

    Lv2LiveInstances::add (this);
}

Lv2PluginInstance::~Lv2PluginInstance()
{
    Lv2LiveInstances::remove (this);
    processor->removeListener (this);
}

void Lv2PluginInstance::connectPort (uint32_t port, void* data) noexcept
{
    using namespace Lv2PortLayout;

    if (port >= firstParameter)
        parameterPorts.connect ((int) (port - firstParameter), static_cast<const float*> (data));
    else if (port >= audioInput0 && port < audioInput0 + numAudioChannels)
        audioInputs[port - audioInput0] = static_cast<const float*> (data);
    else if (port >= audioOutput0 && port < audioOutput0 + numAudioChannels)
        audioOutputs[port - audioOutput0] = static_cast<float*> (data);
    else if (port == eventOutput)
        eventOutputBuffer = static_cast<LV2_Atom_Sequence*> (data);
    else if (port == latency)
        latencyOutput = static_cast<float*> (data);
    else if (port == freeWheeling)
        freeWheelingInput = static_cast<const float*> (data);
    else if (port == enabled)
        enabledInput = static_cast<const float*> (data);
    // The event input carries nothing this plug-in reads.
}

void Lv2PluginInstance::activate()
{
    // A new run starts from silence, whatever the filters held when the host stopped.
    processor->reset();
    processor->prepareToPlay (processor->getSampleRate(), processor->getBlockSize());
}

void Lv2PluginInstance::run (uint32_t numFrames) noexcept
{
    parameterPorts.applyHostChanges();

    const auto freeWheeling = freeWheelingInput != nullptr && *freeWheelingInput > 0.5f;

    if (freeWheeling != wasFreeWheeling)
    {
        processor->setNonRealtime (freeWheeling);
        wasFreeWheeling = freeWheeling;
    }

    const auto enabled = enabledInput == nullptr || *enabledInput > 0.5f;

    for (uint32_t done = 0; done < numFrames;)
    {
        float* channels[Lv2PortLayout::numAudioChannels];
        auto length = numFrames - done;

        for (size_t c = 0; c < Lv2PortLayout::numAudioChannels; ++c)
        {
            if (audioOutputs[c] != nullptr)
            {
                channels[c] = audioOutputs[c] + done;
            }
            else
            {
                channels[c] = scratch.get() + c * (size_t) scratchLength;
                length = juce::jmin (length, (uint32_t) scratchLength);
            }
        }

        const float* inputs[Lv2PortLayout::numAudioChannels];

        for (size_t c = 0; c < Lv2PortLayout::numAudioChannels; ++c)
            inputs[c] = audioInputs[c] != nullptr ? audioInputs[c] + done : nullptr;

        // The chain reads each input straight into its output, no copy, unless an input is missing or the
        // host crossed its buffers (the right input in the left output): then the inputs are first copied
        // to the outputs (the right one first where crossed, so neither is overwritten before it is read)
        // and processed there in place. Without the host's enable, the input passes unchanged.
        const auto crossed = inputs[1] == channels[0] || inputs[0] == channels[1];

        if (crossed || inputs[0] == nullptr || inputs[1] == nullptr || ! enabled)
        {
            const auto rightFirst = inputs[1] == channels[0];

            for (size_t step = 0; step < Lv2PortLayout::numAudioChannels; ++step)
            {
                const auto c = rightFirst ? Lv2PortLayout::numAudioChannels - 1 - step : step;

                if (inputs[c] == nullptr)
                    std::fill (channels[c], channels[c] + length, 0.0f);
                else if (inputs[c] != channels[c])
                    std::memmove (channels[c], inputs[c], length * sizeof (float));

                inputs[c] = channels[c];
            }
        }

        if (enabled)
            processor->processStereo ({ inputs[0], inputs[1], channels[0], channels[1] }, (int) length);

        done += length;
    }

    if (latencyOutput != nullptr)
        *latencyOutput = (float) processor->getLatencySamples();

    writeOutputEvents();
}

void Lv2PluginInstance::writeOutputEvents() noexcept
{
    if (eventOutputBuffer == nullptr)
        return;

    // The host gives the buffer's capacity in the sequence's size.
    const auto capacity = eventOutputBuffer->atom.size;
    eventOutputBuffer->atom.type = urids.atomSequence;
    eventOutputBuffer->atom.size = sizeof (LV2_Atom_Sequence_Body);
    eventOutputBuffer->body.unit = 0;
    eventOutputBuffer->body.pad = 0;

    constexpr auto eventSize = (uint32_t) (sizeof (LV2_Atom_Event) + sizeof (LV2_Atom_Object_Body));

    if (urids.stateChanged == 0 || capacity < sizeof (LV2_Atom_Sequence_Body) + eventSize || ! stateChangedForHost.exchange (false))
        return;

    // Tells the host that the plug-in's state changed beyond its ports (a preset's name, say), so that the
    // host offers to save.
    auto* event = reinterpret_cast<LV2_Atom_Event*> (eventOutputBuffer + 1);
    event->time.frames = 0;
    event->body.type = urids.atomObject;
    event->body.size = sizeof (LV2_Atom_Object_Body);
    auto* object = reinterpret_cast<LV2_Atom_Object_Body*> (event + 1);
    object->id = 0;
    object->otype = urids.stateChanged;
    eventOutputBuffer->atom.size += eventSize;
}

void Lv2PluginInstance::audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details)
{
    if (details.nonParameterStateChanged)
        stateChangedForHost.store (true);
}

LV2_State_Status Lv2PluginInstance::save (LV2_State_Store_Function store, LV2_State_Handle handle)
{
    if (urids.stateString == 0 || urids.atomString == 0)
        return LV2_STATE_ERR_NO_FEATURE;

    // A host may write its ports and save before any block ran (with its engine stopped, say): what it saves
    // must hold the values its ports show.
    parameterPorts.applyHostChanges();

    juce::MemoryBlock chunk;
    processor->getStateInformation (chunk);
    const auto text = chunk.toBase64Encoding();
    return store (handle, urids.stateString, text.toRawUTF8(), text.getNumBytesAsUTF8() + 1, urids.atomString, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status Lv2PluginInstance::restore (LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
    if (urids.stateString == 0)
        return LV2_STATE_ERR_NO_FEATURE;

    size_t size = 0;
    uint32_t type = 0, flags = 0;

    if (const auto* data = retrieve (handle, urids.stateString, &size, &type, &flags))
    {
        if (type != urids.atomString)
            return LV2_STATE_ERR_BAD_TYPE;

        const auto* text = static_cast<const char*> (data);
        const auto string = juce::String::fromUTF8 (text, (int) juce::jmin (::strnlen (text, size), (size_t) std::numeric_limits<int>::max()));
        juce::MemoryBlock chunk;

        if (! isPlausibleBase64State (string) || ! chunk.fromBase64Encoding (string))
            return LV2_STATE_ERR_UNKNOWN;

        processor->setStateInformation (chunk.getData(), (int) chunk.getSize());
        parameterPorts.takePortValuesAsSeen();
        return LV2_STATE_SUCCESS;
    }

    // Presets of the first LV2 builds name a program; the plug-in has only the one.
    if (retrieve (handle, urids.program, &size, &type, &flags) != nullptr)
        return LV2_STATE_SUCCESS;

    return LV2_STATE_ERR_NO_PROPERTY;
}
