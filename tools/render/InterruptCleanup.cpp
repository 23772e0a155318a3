#include "InterruptCleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace
{
// Far more than the files a batch writes at once (an output and a plot per job).
constexpr int maxSlots = 1024;
constexpr size_t maxPathBytes = 4096;

char paths[maxSlots][maxPathBytes];
std::atomic<bool> inUse[maxSlots], claimed[maxSlots];

extern "C" void removeFilesAndReraise (int signalNumber)
{
    for (int i = 0; i < maxSlots; ++i)
        if (inUse[i].load (std::memory_order_acquire))
            ::unlink (paths[i]);

    std::signal (signalNumber, SIG_DFL);
    std::raise (signalNumber);
}
} // namespace

void InterruptCleanup::install()
{
    struct sigaction action
    {
    };
    action.sa_handler = removeFilesAndReraise;
    sigemptyset (&action.sa_mask);
    ::sigaction (SIGINT, &action, nullptr);
    ::sigaction (SIGTERM, &action, nullptr);

    // Past the file-size limit (ulimit -f) the kernel would end the process with SIGXFSZ, silently and
    // with the temporary file left behind; ignored, the write fails with EFBIG instead, and the output's
    // own error path reports "file too large" and removes the file.
    std::signal (SIGXFSZ, SIG_IGN);
}

int InterruptCleanup::add (const juce::File& path)
{
    const auto* utf8 = path.getFullPathName().toRawUTF8();
    const auto length = std::strlen (utf8);

    if (length >= maxPathBytes)
        return -1;

    for (int i = 0; i < maxSlots; ++i)
    {
        if (claimed[i].exchange (true))
            continue;

        std::memcpy (paths[i], utf8, length + 1);
        inUse[i].store (true, std::memory_order_release);
        return i;
    }

    return -1;
}

void InterruptCleanup::remove (int slot)
{
    if (slot < 0 || slot >= maxSlots)
        return;

    inUse[slot].store (false, std::memory_order_release);
    claimed[slot].store (false, std::memory_order_release);
}
