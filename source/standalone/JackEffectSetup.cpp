#include "JackEffectSetup.h"

#include "processor/ConnectedInputs.h"

namespace
{
constexpr int stereoInputs = 2;

juce::String systemOrFirst (const juce::StringArray& clientNames)
{
    return clientNames.contains ("system") ? juce::String ("system") : clientNames[0];
}

/** A device set-up naming the running JACK server's clients, or nothing when no server answers. */
std::unique_ptr<juce::XmlElement> setupOfRunningJackServer()
{
    std::unique_ptr<juce::AudioIODeviceType> jack (juce::AudioIODeviceType::createAudioIODeviceType_JACK());

    if (jack == nullptr)
        return {};

    jack->scanForDevices();
    const auto playbackClients = jack->getDeviceNames (false);

    if (playbackClients.isEmpty())
        return {};

    auto setup = std::make_unique<juce::XmlElement> ("DEVICESETUP");
    setup->setAttribute ("deviceType", JackEffectSetup::jackTypeName);
    setup->setAttribute ("audioOutputDeviceName", systemOrFirst (playbackClients));
    setup->setAttribute ("audioInputDeviceName", systemOrFirst (jack->getDeviceNames (true)));
    return setup;
}
} // namespace

void JackEffectSetup::prepareSettings (juce::PropertySet& settings)
{
    auto setup = settings.getXmlValue (audioSetupKey);

    if (setup == nullptr || ! setup->hasTagName ("DEVICESETUP"))
        setup = setupOfRunningJackServer();

    if (setup == nullptr || setup->getStringAttribute ("deviceType") != jackTypeName)
        return;

    setup->setAttribute ("audioDeviceInChans", "0");
    settings.setValue (audioSetupKey, setup.get());
}

JackEffectSetup::JackEffectSetup (juce::AudioDeviceManager& manager,
                                  const juce::Value& muteInput,
                                  juce::PropertySet& settingsToUse,
                                  std::function<ConnectedInputs*()> processorInputs)
    : deviceManager (manager),
      settings (settingsToUse),
      findProcessorInputs (std::move (processorInputs))
{
    mute.referTo (muteInput);

    // Until now the framework's own setting held the choice for ALSA; it writes it for any type at quitting.
    if (! settings.containsKey (otherMuteKey))
        settings.setValue (otherMuteKey, static_cast<bool> (mute.getValue()));

    onJack = isOnJack();
    applyMuteChoice();
    tellConnectedInputs();
    mute.addListener (this);
    deviceManager.addChangeListener (this);
}

JackEffectSetup::~JackEffectSetup()
{
    deviceManager.removeChangeListener (this);
    mute.removeListener (this);
}

bool JackEffectSetup::isOnJack() const
{
    return deviceManager.getCurrentAudioDeviceType() == jackTypeName;
}

void JackEffectSetup::applyMuteChoice()
{
    const auto muted = settings.getBoolValue (onJack ? jackMuteKey : otherMuteKey, ! onJack);

    if (static_cast<bool> (mute.getValue()) == muted)
        return;

    mute.setValue (muted);
    // The framework's audio callback takes the value from its listener: now, not at the next message.
    mute.getValueSource().sendChangeMessage (true);
}

void JackEffectSetup::tellConnectedInputs()
{
    auto* inputs = findProcessorInputs();
    auto* device = deviceManager.getCurrentAudioDevice();

    // The JACK device's active inputs are its connected ports.
    if (inputs != nullptr)
    {
        const auto connected = onJack && device != nullptr ? device->getActiveInputChannels() : juce::BigInteger();
        inputs->set (connected[0], connected[1]);
    }
}

void JackEffectSetup::changeListenerCallback (juce::ChangeBroadcaster*)
{
    if (isOnJack() == onJack)
    {
        tellConnectedInputs();
        return;
    }

    onJack = ! onJack;
    auto setup = deviceManager.getAudioDeviceSetup();

    // The order keeps the input muted while the sound card's capture may still reach it.
    if (onJack)
    {
        if (! setup.inputChannels.isZero())
        {
            setup.useDefaultInputChannels = false;
            setup.inputChannels.clear();
            deviceManager.setAudioDeviceSetup (setup, true);
        }

        applyMuteChoice();
    }
    else
    {
        applyMuteChoice();

        if (setup.inputChannels.isZero() && setup.inputDeviceName.isNotEmpty())
        {
            setup.useDefaultInputChannels = false;
            setup.inputChannels.setRange (0, stereoInputs, true);
            deviceManager.setAudioDeviceSetup (setup, true);
        }
    }

    tellConnectedInputs();
}

void JackEffectSetup::valueChanged (juce::Value&)
{
    settings.setValue (onJack ? jackMuteKey : otherMuteKey, static_cast<bool> (mute.getValue()));
}
