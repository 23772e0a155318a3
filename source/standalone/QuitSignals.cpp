#include "QuitSignals.h"

#include <juce_events/juce_events.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr std::array<int, 3> quitSignals { SIGINT, SIGTERM, SIGHUP };

// Shared with the handler, which may only touch these.
int pipeEnds[2] = { -1, -1 };
volatile std::sig_atomic_t quitRequested = 0;

std::array<struct sigaction, quitSignals.size()> previousActions {};
} // namespace

void QuitSignals::handleSignal (int signalNumber)
{
    if (quitRequested != 0)
    {
        struct sigaction defaultAction
        {
        };
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset (&defaultAction.sa_mask);
        sigaction (signalNumber, &defaultAction, nullptr);
        raise (signalNumber);
        return;
    }

    quitRequested = 1;
    const auto savedErrno = errno;
    const char byte = static_cast<char> (signalNumber);
    [[maybe_unused]] const auto written = write (pipeEnds[1], &byte, 1);
    errno = savedErrno;
}

QuitSignals::QuitSignals (std::function<void()> onQuitRequest)
    : quit (std::move (onQuitRequest))
{
    if (pipe2 (pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;

    juce::LinuxEventLoop::registerFdCallback (pipeEnds[0], [this] (int fd)
                                              { readSignals (fd); });

    for (size_t i = 0; i < quitSignals.size(); ++i)
    {
        struct sigaction action
        {
        };
        action.sa_handler = handleSignal;
        sigemptyset (&action.sa_mask);
        for (const auto blocked : quitSignals)
            sigaddset (&action.sa_mask, blocked);
        action.sa_flags = SA_RESTART;
        sigaction (quitSignals[i], &action, &previousActions[i]);
    }
}

QuitSignals::~QuitSignals()
{
    if (pipeEnds[0] < 0)
        return;

    for (size_t i = 0; i < quitSignals.size(); ++i)
        sigaction (quitSignals[i], &previousActions[i], nullptr);

    juce::LinuxEventLoop::unregisterFdCallback (pipeEnds[0]);
    close (pipeEnds[0]);
    close (pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

void QuitSignals::readSignals (int fd)
{
    char bytes[16];
    while (read (fd, bytes, sizeof (bytes)) > 0)
    {
    }

    if (quit != nullptr)
        quit();
}
