#pragma once

#include "FeedbackBannerText.h"
#include "JackEffectSetup.h"
#include "JackServerWatch.h"
#include "QuitSignals.h"
#include "StandaloneCommandLine.h"
#include "WindowNotice.h"

#include <juce_audio_plugin_client/juce_audio_plugin_client.h>
#include <juce_audio_utils/juce_audio_utils.h>

#include <juce_audio_plugin_client/Standalone/juce_StandaloneFilterWindow.h>

/** The standalone app: the framework's standalone window around the processor, started as its command line
    asks, and set up as a JACK effect when it runs on JACK (see JackEffectSetup). It quits in order, state
    written, on SIGINT, SIGTERM and SIGHUP as from its close button; it follows its JACK server away and
    back; and it says in the window when its settings file cannot be read or written.
*/
class WydenzaStandaloneApp : public juce::JUCEApplication
{
public:
    explicit WydenzaStandaloneApp (StandaloneCommandLine commandLine);

    const juce::String getApplicationName() override { return JucePlugin_Name; }
    const juce::String getApplicationVersion() override { return JucePlugin_VersionString; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void anotherInstanceStarted (const juce::String&) override {}

    void initialise (const juce::String&) override;
    void shutdown() override;
    void systemRequestedQuit() override;

    /** The exit status for a command line that asks for something that is not there. */
    static constexpr int badUsageStatus = 2;

    static constexpr const char* settingsNoticeKey = "settings";
    static constexpr const char* jackNoticeKey = "jack";

private:
    void applyDesktopScale();
    juce::File getSettingsFile() const;
    void checkSettingsFile();
    void startOnPreset();

    StandaloneCommandLine options;
    juce::ApplicationProperties appProperties;
    std::unique_ptr<juce::StandaloneFilterWindow> mainWindow;
    std::unique_ptr<JackEffectSetup> jackSetup;
    std::unique_ptr<FeedbackBannerText> bannerText;
    std::unique_ptr<WindowNotice> notice;
    std::unique_ptr<JackServerWatch> jackWatch;
    std::unique_ptr<QuitSignals> quitSignals;
    juce::String settingsFault;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WydenzaStandaloneApp)
};
