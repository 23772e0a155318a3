#include "JackServerWatch.h"

#include "JackClientName.h"
#include "JackEffectSetup.h"
#include "JackPatchbay.h"

#include <cstdlib>

namespace
{
juce::String inputPortName (const juce::String& client, size_t index)
{
    return client + ":in_" + juce::String (index + 1);
}

juce::String systemOrFirst (const juce::StringArray& names, const juce::String& wanted)
{
    if (names.contains (wanted))
        return wanted;
    return names.contains ("system") ? juce::String ("system") : names[0];
}
} // namespace

JackServerWatch::JackServerWatch (juce::AudioDeviceManager& manager, std::function<void (const juce::String&)> onFault)
    : deviceManager (manager),
      showFault (std::move (onFault))
{
    rememberInputSources();
    deviceManager.addChangeListener (this);
    startTimer (checkIntervalMs);
}

JackServerWatch::~JackServerWatch()
{
    deviceManager.removeChangeListener (this);
}

juce::String JackServerWatch::getServerName()
{
    const auto* name = std::getenv ("JACK_DEFAULT_SERVER");
    return name != nullptr && *name != 0 ? juce::String::fromUTF8 (name) : juce::String ("default");
}

bool JackServerWatch::isOnJack() const
{
    return deviceManager.getCurrentAudioDeviceType() == JackEffectSetup::jackTypeName;
}

bool JackServerWatch::isDeviceAway() const
{
    // JACK's own thread marks the device closed when the server goes; read late, it only costs a tick.
    auto* device = deviceManager.getCurrentAudioDevice();
    return device == nullptr || ! device->isOpen();
}

void JackServerWatch::timerCallback()
{
    if (! isOnJack())
    {
        waiting = false;
        showFault ({});
        return;
    }

    if (! waiting)
    {
        // A device never opened (the user's choice in the dialog) is not a server that went.
        if (deviceManager.getCurrentAudioDevice() != nullptr && isDeviceAway())
        {
            waiting = true;
            showFault ("The JACK server \"" + getServerName() + "\" has stopped; Wydenza reconnects when it runs again.");
        }
        return;
    }

    if (! isDeviceAway() || reopen())
    {
        waiting = false;
        showFault ({});
    }
}

void JackServerWatch::changeListenerCallback (juce::ChangeBroadcaster*)
{
    if (! waiting)
        rememberInputSources();
}

bool JackServerWatch::isDeviceStopping() const
{
    // The framework's device drops its callback first when its server goes, then tells the manager (whose
    // change message lands here) and only then marks itself closed, all on libjack's notification thread.
    auto* device = deviceManager.getCurrentAudioDevice();
    return device != nullptr && device->isOpen() && ! device->isPlaying();
}

void JackServerWatch::rememberInputSources()
{
    // Opening a client once libjack has seen its server die makes libjack close every client of the process,
    // the dying device's too, by cancelling their threads: while the device's thread is still in its shutdown
    // callback that aborts the app. So no client is opened until that device is wholly closed.
    if (! isOnJack() || isDeviceAway() || isDeviceStopping())
        return;

    const JackPatchbay patchbay;

    // A server that is going away answers no more; what it had is kept.
    if (! patchbay.isConnected())
        return;

    const auto client = patchbay.findOwnClient ("in_1", JackClientName::get());
    for (size_t i = 0; i < inputSources.size(); ++i)
        inputSources[i] = patchbay.getConnections (inputPortName (client, i));
}

bool JackServerWatch::reopen()
{
    juce::AudioIODeviceType* jack = nullptr;
    for (auto* type : deviceManager.getAvailableDeviceTypes())
        if (type->getTypeName() == JackEffectSetup::jackTypeName)
            jack = type;

    if (jack == nullptr)
        return false;

    jack->scanForDevices();
    const auto outputs = jack->getDeviceNames (false);
    const auto inputs = jack->getDeviceNames (true);

    if (outputs.isEmpty())
        return false;

    auto setup = deviceManager.getAudioDeviceSetup();
    setup.outputDeviceName = systemOrFirst (outputs, setup.outputDeviceName);
    setup.inputDeviceName = inputs.isEmpty() ? juce::String() : systemOrFirst (inputs, setup.inputDeviceName);
    setup.useDefaultInputChannels = false;
    setup.inputChannels.clear();

    // The dead device has no client left; it is replaced, not reopened.
    deviceManager.closeAudioDevice();

    if (deviceManager.setAudioDeviceSetup (setup, true).isNotEmpty() || isDeviceAway())
        return false;

    connectRememberedSources();
    return true;
}

void JackServerWatch::connectRememberedSources()
{
    const JackPatchbay patchbay;
    const auto client = patchbay.findOwnClient ("in_1", JackClientName::get());

    for (size_t i = 0; i < inputSources.size(); ++i)
        for (const auto& source : inputSources[i])
            if (patchbay.portExists (source))
                patchbay.connect (source, inputPortName (client, i));
}
