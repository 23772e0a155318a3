#include "ProgressLine.h"

#include <unistd.h>

namespace
{
constexpr double delayMs = 1000.0, intervalMs = 100.0;
}

ProgressLine::ProgressLine (bool isEnabled) : enabled (isEnabled)
{
}

ProgressLine::~ProgressLine()
{
    clear();
}

bool ProgressLine::standardErrorIsTerminal()
{
    return ::isatty (STDERR_FILENO) == 1;
}

void ProgressLine::start (const juce::String& name)
{
    if (! enabled)
        return;

    const std::lock_guard<std::mutex> guard (lock);
    label = name;
    startedMs = juce::Time::getMillisecondCounterHiRes();
    nextDrawMs = startedMs + delayMs;
}

void ProgressLine::update (double share)
{
    // Called for every block: everything but the clock waits until a redraw is due.
    if (! isDue())
        return;

    const std::lock_guard<std::mutex> guard (lock);
    const auto now = juce::Time::getMillisecondCounterHiRes();
    if (now < nextDrawMs)
        return;

    nextDrawMs = now + intervalMs;
    const auto percent = juce::jlimit (0, 100, (int) (100.0 * share));
    if (shown && percent == shownPercent)
        return;

    shownPercent = percent;
    write (("\r  " + label + "  " + juce::String (percent) + " %\x1b[K").toStdString());
    shown = true;
}

void ProgressLine::clear()
{
    if (! enabled)
        return;

    const std::lock_guard<std::mutex> guard (lock);
    if (shown)
        write ("\r\x1b[K");
    shown = false;
    // The line comes back at the next update, if the work is still long.
    nextDrawMs = juce::jmax (nextDrawMs.load(), startedMs + delayMs);
}

bool ProgressLine::isDue() const noexcept
{
    return enabled && juce::Time::getMillisecondCounterHiRes() >= nextDrawMs.load (std::memory_order_relaxed);
}

void ProgressLine::write (const std::string& text)
{
    // Straight to the descriptor: no stream buffer to interleave with other output.
    [[maybe_unused]] const auto written = ::write (STDERR_FILENO, text.data(), text.size());
}
