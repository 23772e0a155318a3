#include "WydenzaStandaloneApp.h"

#include "DesktopScale.h"
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
    // The framework's own SIGINT handler, installed by now, would quit without writing the state.
    quitSignals = std::make_unique<QuitSignals> ([this]
                                                 { systemRequestedQuit(); });

    checkSettingsFile();
    applyDesktopScale();
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
    notice = std::make_unique<WindowNotice> (*mainWindow);
    notice->setText (settingsNoticeKey, settingsFault);
    jackWatch = std::make_unique<JackServerWatch> (mainWindow->getDeviceManager(),
                                                   [this] (const juce::String& text)
                                                   { notice->setText (jackNoticeKey, text); });
    startOnPreset();
    mainWindow->setVisible (true);
}

void WydenzaStandaloneApp::shutdown()
{
    jackWatch = nullptr;
    notice = nullptr;
    bannerText = nullptr;
    jackSetup = nullptr;
    mainWindow = nullptr;

    if (! appProperties.saveIfNeeded())
        std::cerr << "wydenza: the settings and the state could not be saved to " << getSettingsFile().getFullPathName() << std::endl;

    quitSignals = nullptr;
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

void WydenzaStandaloneApp::applyDesktopScale()
{
    juce::String why;
    const auto wanted = DesktopScale::find (why);

    if (why.isNotEmpty())
        std::cerr << "wydenza: " << why << std::endl;

    if (! wanted.has_value())
        return;

    // The framework's scale per display is multiplied by the global one; the product is what is wanted.
    // The panel sizes itself as a share of the screen's height, so it keeps its size on screen.
    auto& desktop = juce::Desktop::getInstance();
    const auto* display = desktop.getDisplays().getPrimaryDisplay();
    const auto found = display != nullptr && display->scale > 0.0 ? display->scale : 1.0;
    desktop.setGlobalScaleFactor (static_cast<float> (*wanted / found));
}

juce::File WydenzaStandaloneApp::getSettingsFile() const
{
    return appProperties.getStorageParameters().getDefaultFile();
}

void WydenzaStandaloneApp::checkSettingsFile()
{
    const auto file = getSettingsFile();

    if (const auto keptAs = SettingsFile::setAsideIfUnreadable (file); keptAs != juce::File())
    {
        settingsFault = file.getFileName() + " could not be read and was kept as " + keptAs.getFileName() + "; the settings start afresh.";
        std::cerr << "wydenza: " << file.getFullPathName() << " could not be read; kept as " << keptAs.getFullPathName() << std::endl;
    }

    if (! SettingsFile::canBeWritten (file))
    {
        settingsFault = "The settings cannot be saved to " + file.getFullPathName() + ": the state at quitting will be lost.";
        std::cerr << "wydenza: " << file.getFullPathName() << " cannot be written; the settings will not be saved" << std::endl;
    }
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
