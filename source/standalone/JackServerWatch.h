#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <array>
#include <functional>

/** Notices when the JACK server the app runs on stops, and brings the app back onto it when a server of
    that name runs again, on the terms it started with: the outputs on the playback ports, each input
    connected again to the ports it was connected to where the new server has them.

    The framework's JACK device only closes itself when its server goes, and tells nobody; a timer on the
    message thread looks once a second. Trying a server that is not there fails at once, so the wait
    never holds up the window.
*/
class JackServerWatch : private juce::Timer,
                        private juce::ChangeListener
{
public:
    /** showFault gets the text to show while the server is away, and an empty text once it is back. */
    JackServerWatch (juce::AudioDeviceManager& deviceManager, std::function<void (const juce::String&)> showFault);
    ~JackServerWatch() override;

    /** The server the app asks for: $JACK_DEFAULT_SERVER, else "default". */
    static juce::String getServerName();

    static constexpr int checkIntervalMs = 1000;

private:
    void timerCallback() override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    bool isOnJack() const;
    bool isDeviceAway() const;
    bool isDeviceStopping() const;
    void rememberInputSources();
    bool reopen();
    void connectRememberedSources();

    juce::AudioDeviceManager& deviceManager;
    std::function<void (const juce::String&)> showFault;
    std::array<juce::StringArray, 2> inputSources;
    bool waiting = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackServerWatch)
};
