#include "WydenzaStandaloneApp.h"

#include "processor/SettingsFile.h"
#include "processor/WydenzaAudioProcessor.h"

#include <iostream>

WydenzaStandaloneApp::WydenzaStandaloneApp (StandaloneCommandLine commandLine)
    : options (std::move (commandLine))
{
    juce::PropertiesFile::Options settings;
    settings.applicationName = getApplicationName();
    settings.filenameSuffix = ".settings";
    settings.folderName = SettingsFile::getApplicationDataFolder().getFullPathName();
    appProperties.setStorageParameters (settings);
}

void WydenzaStandaloneApp::initialise (const juce::String&)
{
    if (options.presetName.isNotEmpty() && ! presetExists())
        return;

    auto* settings = appProperties.getUserSettings();
    JackEffectSetup::prepareSettings (*settings);

    const auto title = options.jackClientName.isEmpty() ? getApplicationName() : getApplicationName() + " (" + options.jackClientName + ")";
    const juce::StandalonePluginHolder::PluginInOuts channels[] = { JucePlugin_PreferredChannelConfigurations };
    mainWindow = std::make_unique<juce::StandaloneFilterWindow> (title,
                                                                 juce::LookAndFeel::getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                                                                 settings,
                                                                 false,
                                                                 juce::String(),
                                                                 nullptr,
                                                                 juce::Array<juce::StandalonePluginHolder::PluginInOuts> (channels, juce::numElementsInArray (channels)));

    // The window makes a new processor when the user resets the state: it is looked up each time.
    jackSetup = std::make_unique<JackEffectSetup> (mainWindow->getDeviceManager(),
                                                   mainWindow->pluginHolder->getMuteInputValue(),
                                                   *settings,
                                                   [this]() -> ConnectedInputs*
                                                   {
                                                       auto* processor = dynamic_cast<WydenzaAudioProcessor*> (mainWindow->getAudioProcessor());
                                                       return processor != nullptr ? &processor->getConnectedInputs() : nullptr;
                                                   });
    bannerText = std::make_unique<FeedbackBannerText> (*mainWindow);
    startOnPreset();
    mainWindow->setVisible (true);
}

void WydenzaStandaloneApp::shutdown()
{
    bannerText = nullptr;
    jackSetup = nullptr;
    mainWindow = nullptr;
    appProperties.saveIfNeeded();
}

void WydenzaStandaloneApp::systemRequestedQuit()
{
    if (mainWindow != nullptr)
        mainWindow->pluginHolder->savePluginState();

    // A dialog still open gets a moment to close before the app asks again.
    if (juce::ModalComponentManager::getInstance()->cancelAllModalComponents())
        juce::Timer::callAfterDelay (100, []
                                     {
                                         if (auto* app = juce::JUCEApplicationBase::getInstance())
                                             app->systemRequestedQuit(); });
    else
        quit();
}

bool WydenzaStandaloneApp::presetExists()
{
    WydenzaAudioProcessor probe;
    auto names = probe.getFactoryPresetNames();
    names.addArray (probe.getUserPresetNames());

    if (names.contains (options.presetName))
        return true;

    refuseToStart ("no factory or user preset is named '" + options.presetName + "'; the presets are:\n  " + names.joinIntoString ("\n  "));
    return false;
}

void WydenzaStandaloneApp::startOnPreset()
{
    auto* processor = dynamic_cast<WydenzaAudioProcessor*> (mainWindow->getAudioProcessor());

    if (options.presetName.isEmpty() || processor == nullptr)
        return;

    const auto factoryIndex = processor->getFactoryPresetNames().indexOf (options.presetName);

    if (factoryIndex >= 0)
        processor->selectFactoryPreset (factoryIndex);
    else if (! processor->loadUserPresetByName (options.presetName))
        std::cerr << "wydenza: the user preset '" << options.presetName << "' could not be read; starting on the last state\n";
}

void WydenzaStandaloneApp::refuseToStart (const juce::String& message)
{
    std::cerr << "wydenza: " << message << std::endl;
    setApplicationReturnValue (badUsageStatus);
    quit();
}
