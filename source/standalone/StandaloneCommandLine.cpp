#include "StandaloneCommandLine.h"

#include "JackClientName.h"

StandaloneCommandLine StandaloneCommandLine::parse (const juce::StringArray& args)
{
    StandaloneCommandLine result;

    const auto refuse = [&result] (const juce::String& reason)
    {
        result.action = Action::refuse;
        result.error = reason;
        return result;
    };

    for (int i = 0; i < args.size(); ++i)
    {
        auto arg = args[i];
        juce::String value;
        const auto longName = arg.upToFirstOccurrenceOf ("=", false, false);
        const auto takesValue = longName == "--preset" || longName == "--jack-name" || arg == "-p" || arg == "-n";

        if (takesValue && arg.startsWith ("--") && arg.containsChar ('='))
        {
            value = arg.fromFirstOccurrenceOf ("=", false, false);
            arg = longName;
        }
        else if (takesValue)
        {
            if (i + 1 >= args.size())
                return refuse ("option '" + arg + "' needs a value");

            value = args[++i];
        }

        if (arg == "--help" || arg == "-h")
            result.action = Action::printHelp;
        else if (arg == "--version" || arg == "-V")
        {
            if (result.action != Action::printHelp)
                result.action = Action::printVersion;
        }
        else if (arg == "--preset" || arg == "-p")
        {
            if (value.trim().isEmpty())
                return refuse ("option '" + arg + "' needs a preset name");

            result.presetName = value;
        }
        else if (arg == "--jack-name" || arg == "-n")
        {
            if (value.isEmpty() || value.containsChar (':') || static_cast<int> (value.getNumBytesAsUTF8()) > JackClientName::maxBytes)
                return refuse ("a JACK client name has 1 to " + juce::String (JackClientName::maxBytes) + " bytes and no colon, not '" + value + "'");

            result.jackClientName = value;
        }
        else if (arg.startsWith ("-"))
            return refuse ("unknown option '" + arg + "'");
        else
            return refuse ("unexpected argument '" + arg + "'");
    }

    return result;
}

juce::String StandaloneCommandLine::getHelp()
{
    return "Usage: wydenza [--preset NAME] [--jack-name NAME]\n"
           "  or:  wydenza --help | --version\n"
           "Opens Wydenza, the stereo-image effect, as an application that processes live audio through\n"
           "ALSA or JACK. The window's Options button chooses the audio device; the choice, the settings\n"
           "and the state at quitting are kept in ~/.config/Wydenza.settings (under $XDG_CONFIG_HOME when\n"
           "that is set), which all running copies of the app share.\n"
           "\n"
           "Under JACK the app is a client named Wydenza (the next one Wydenza-01, and so on) with the\n"
           "ports in_1, in_2, out_1 and out_2. Its outputs are connected to the system playback ports, its\n"
           "inputs to nothing: patch a source in with any patchbay or jack_connect, and it is heard at once.\n"
           "Under ALSA the app opens the sound card's capture directly, so its input starts muted against\n"
           "feedback; untick \"Mute audio input\" in Options > Audio/MIDI Settings to hear it.\n"
           "\n"
           "The app needs a display (an X11 session, or XWayland); without one it says so and exits with\n"
           "status 1. A command line it does not understand, or a preset name it does not know, ends it\n"
           "with status 2, with or without a display. The close button, Ctrl-C, SIGTERM and SIGHUP all\n"
           "quit it in order, the state written, with status 0.\n"
           "\n"
           "When its JACK server stops, the window says so and the app waits for a server of that name to\n"
           "run again, then connects its outputs to the playback ports and its inputs as they were.\n"
           "\n"
           "Options:\n"
           "  -p, --preset NAME     start on the factory or user preset NAME (quote a name with spaces)\n"
           "  -n, --jack-name NAME  ask JACK for the client name NAME instead of Wydenza\n"
           "  -h, --help            print this help and exit\n"
           "  -V, --version         print the version and exit\n"
           "\n"
           "Examples:\n"
           "  $ wydenza --preset \"TRACK Stereo 200%\"\n"
           "  $ wydenza --jack-name Vocals\n";
}

juce::String StandaloneCommandLine::getVersion()
{
    return juce::String ("wydenza ") + JucePlugin_VersionString + "\n";
}
