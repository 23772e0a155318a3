#include "FolderReveal.h"

#if JUCE_LINUX || JUCE_BSD
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;
#endif

bool revealFolderToUser (const juce::File& folder)
{
#if JUCE_LINUX || JUCE_BSD
    // The framework's own reveal falls back to web browsers and leaves its child unreaped inside the host.
    const auto path = folder.getFullPathName().toStdString();
    char program[] = "xdg-open";
    char* const argv[] = { program, const_cast<char*> (path.c_str()), nullptr };
    pid_t child = 0;

    if (posix_spawnp (&child, program, nullptr, nullptr, argv, environ) != 0)
        return false;

    // Reaped on a thread of its own, so that no zombie is left in the host and no one waits for it.
    std::thread ([child]
                 {
                     int status = 0;
                     waitpid (child, &status, 0); })
        .detach();
    return true;
#else
    folder.revealToUser();
    return true;
#endif
}
