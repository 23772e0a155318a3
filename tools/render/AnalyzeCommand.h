#pragma once

class CommandContext;

/** --analyze: measures each file as it is, prints its figures (or JSON) and draws the plot when asked.
    A file that fails does not stop the others. */
class AnalyzeCommand
{
public:
    /** The exit status: 0, or 1 when any file failed. */
    static int run (const CommandContext&);
};
