#pragma once

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_data_structures/juce_data_structures.h>

#include <functional>

class ConnectedInputs;

/** Makes the standalone app behave as JACK effects do while it runs on JACK, and keeps the framework's
    guard against feedback on ALSA.

    On ALSA the app opens the sound card's capture itself, so a laptop's microphone would reach its
    speakers: the input starts muted. On JACK nothing reaches the inputs until the user patches it in, so
    the inputs start unconnected (the outputs go to the playback ports) and the input is heard at once.
    The user's tick of "Mute audio input" is kept per device type in the settings. With one input port
    patched, the processor is told which one, so that the source stays on its side.
*/
class JackEffectSetup : private juce::ChangeListener,
                        private juce::Value::Listener
{
public:
    static constexpr const char* jackTypeName = "JACK";
    static constexpr const char* audioSetupKey = "audioSetup";
    static constexpr const char* jackMuteKey = "muteInputOnJack";
    static constexpr const char* otherMuteKey = "muteInputOnAlsa";

    /** Before the framework opens the audio device from the settings: with no device chosen yet and a JACK
        server running, chooses JACK (its "system" client where there is one); when JACK is the choice,
        asks for no input channels, which leaves the input ports unconnected.
    */
    static void prepareSettings (juce::PropertySet& settings);

    /** Once the device is open: sets the mute for its type and follows later changes of type and of the
        mute. The mute value is the framework's, which it reads into its audio callback.
    */
    JackEffectSetup (juce::AudioDeviceManager& deviceManager,
                     const juce::Value& muteInput,
                     juce::PropertySet& settings,
                     std::function<ConnectedInputs*()> processorInputs);
    ~JackEffectSetup() override;

private:
    bool isOnJack() const;
    void applyMuteChoice();
    void tellConnectedInputs();
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void valueChanged (juce::Value&) override;

    juce::AudioDeviceManager& deviceManager;
    juce::PropertySet& settings;
    juce::Value mute;
    std::function<ConnectedInputs*()> findProcessorInputs;
    bool onJack = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackEffectSetup)
};
