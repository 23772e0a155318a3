#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <mutex>

/**
    A line on standard error that shows how far long work has come ("  rendering mix.wav  42 %"). It
    appears only once the work has run for a second, is redrawn at most ten times a second and is wiped
    when the work is done, so short work prints nothing. Off when standard error is not a terminal. Any
    thread may update it.
*/
class ProgressLine
{
public:
    explicit ProgressLine (bool enabled = standardErrorIsTerminal());
    ~ProgressLine();

    /** Starts the clock for a piece of work with this name. */
    void start (const juce::String& label);

    /** share from 0 to 1 of the current work. */
    void update (double share);

    /** Wipes the line, so that other output begins on a clean line; the next update draws it again. */
    void clear();

    bool isEnabled() const noexcept { return enabled; }

    /** Whether an update now would redraw the line: a cheap test before working out the share. */
    bool isDue() const noexcept;

    static bool standardErrorIsTerminal();

private:
    void write (const std::string& text);

    const bool enabled;
    std::mutex lock;
    juce::String label;
    double startedMs = 0.0;
    std::atomic<double> nextDrawMs { 0.0 };
    bool shown = false;
    int shownPercent = -1;
};
