#pragma once

#include <juce_core/juce_core.h>

/** What the standalone app was asked to do on its command line. Parsing needs no display and no audio. */
class StandaloneCommandLine
{
public:
    enum class Action
    {
        run,
        printHelp,
        printVersion,
        refuse
    };

    /** Reads the arguments after the program name. Anything not understood gives Action::refuse with the
        reason in error.
    */
    static StandaloneCommandLine parse (const juce::StringArray& args);

    /** The --help text, laid out as help2man expects: "Usage:" and "  or:" lines, then the options. */
    static juce::String getHelp();

    /** The --version text: the program's name and version on the first line. */
    static juce::String getVersion();

    Action action = Action::run;
    juce::String presetName;
    juce::String jackClientName;
    juce::String error;
};
