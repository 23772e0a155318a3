#pragma once

#include <functional>

/** Turns SIGINT, SIGTERM and SIGHUP into an orderly quit on the message thread, so that a terminal's
    Ctrl-C, a session's logout or a kill leaves the state written as the close button does.

    The handler only writes a byte to a pipe, which the framework's event loop watches; the callback runs
    on the message thread. A second signal while the quit is under way ends the process at once, as
    without a handler, for an app that does not get out. The framework installs its own SIGINT handler
    when its message manager starts (it quits without writing anything), so create this afterwards.
*/
class QuitSignals
{
public:
    /** Installs the handlers; onQuitRequest is called on the message thread once per signal burst. */
    explicit QuitSignals (std::function<void()> onQuitRequest);

    /** Puts the previous handlers back. */
    ~QuitSignals();

private:
    static void handleSignal (int signalNumber);
    void readSignals (int fd);

    std::function<void()> quit;

    QuitSignals (const QuitSignals&) = delete;
    QuitSignals& operator= (const QuitSignals&) = delete;
};
