// The standalone app's entry point: the command line is answered before the framework starts, so that
// --help, --version and mistakes (an unknown preset too) need no display, and a missing display is reported instead of crashing.
#include "JackClientName.h"
#include "StandaloneCommandLine.h"
#include "WydenzaStandaloneApp.h"
#include "processor/WydenzaAudioProcessor.h"

#include <cstdlib>
#include <dlfcn.h>
#include <iostream>

namespace
{
constexpr int noDisplayStatus = 1;

/** Why no window can be opened, or nothing when the X server named by DISPLAY answers. The framework
    opens libX11 at run time too; without a display it would crash at its first window.
*/
juce::String whyNoDisplay()
{
    const auto* name = std::getenv ("DISPLAY");

    if (name == nullptr || *name == 0)
        return "DISPLAY is not set";

    auto* x11 = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);

    if (x11 == nullptr)
        return "libX11.so.6 cannot be loaded";

    using OpenDisplay = void* (*) (const char*);
    using CloseDisplay = int (*) (void*);
    const auto openDisplay = reinterpret_cast<OpenDisplay> (dlsym (x11, "XOpenDisplay"));
    const auto closeDisplay = reinterpret_cast<CloseDisplay> (dlsym (x11, "XCloseDisplay"));
    auto* display = openDisplay != nullptr ? openDisplay (nullptr) : nullptr;

    if (display == nullptr)
        return "the display '" + juce::String (name) + "' cannot be opened";

    if (closeDisplay != nullptr)
        closeDisplay (display);

    return {};
}

/** Why the preset named on the command line cannot be started on, listing the presets there are, or
    nothing when it is there. Reading the presets needs the framework's message manager, not a display.
*/
juce::String whyNoSuchPreset (const juce::String& name)
{
    const juce::ScopedJuceInitialiser_GUI framework;
    WydenzaAudioProcessor probe;
    auto names = probe.getFactoryPresetNames();
    names.addArray (probe.getUserPresetNames());

    if (names.contains (name))
        return {};

    return "no factory or user preset is named '" + name + "'; the presets are:\n  " + names.joinIntoString ("\n  ");
}

StandaloneCommandLine& startOptions()
{
    static StandaloneCommandLine options;
    return options;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    startOptions() = StandaloneCommandLine::parse (args);

    switch (startOptions().action)
    {
        case StandaloneCommandLine::Action::printHelp:
            std::cout << StandaloneCommandLine::getHelp();
            return 0;
        case StandaloneCommandLine::Action::printVersion:
            std::cout << StandaloneCommandLine::getVersion();
            return 0;
        case StandaloneCommandLine::Action::refuse:
            std::cerr << "wydenza: " << startOptions().error << "\nTry 'wydenza --help' for more information.\n";
            return WydenzaStandaloneApp::badUsageStatus;
        case StandaloneCommandLine::Action::run:
            break;
    }

    if (startOptions().presetName.isNotEmpty())
    {
        if (const auto reason = whyNoSuchPreset (startOptions().presetName); reason.isNotEmpty())
        {
            std::cerr << "wydenza: " << reason << std::endl;
            return WydenzaStandaloneApp::badUsageStatus;
        }
    }

    if (const auto reason = whyNoDisplay(); reason.isNotEmpty())
    {
        std::cerr << "wydenza: needs a display to open its window, and " << reason << ".\n"
                  << "Start it in a desktop session, over ssh -X, or under xvfb-run; 'wydenza --help' works without one.\n";
        return noDisplayStatus;
    }

    if (startOptions().jackClientName.isNotEmpty())
        JackClientName::set (startOptions().jackClientName.toRawUTF8());

    juce::JUCEApplicationBase::createInstance = []() -> juce::JUCEApplicationBase*
    { return new WydenzaStandaloneApp (startOptions()); };
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
