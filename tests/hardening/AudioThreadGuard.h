#pragma once

#include <cstddef>

/** Counts heap allocations and lock acquisitions made by the calling thread while it is armed.

    The test executable that links AudioThreadGuard.cpp replaces operator new and delete, malloc, calloc,
    realloc, aligned allocation and the pthread mutex, read-write lock, spin lock and semaphore waits with
    versions that count a call when the calling thread is armed and then do the real work. Only the thread
    that arms it is watched: allocations by other threads (automation, the test framework) are not counted.
*/
class AudioThreadGuard
{
public:
    struct Counts
    {
        std::size_t allocations = 0;
        std::size_t locks = 0;
    };

    /** Starts counting on this thread until the scope ends. */
    AudioThreadGuard() noexcept;
    ~AudioThreadGuard() noexcept;

    AudioThreadGuard (const AudioThreadGuard&) = delete;
    AudioThreadGuard& operator= (const AudioThreadGuard&) = delete;

    /** What this thread did since the guard was made. */
    Counts getCounts() const noexcept;

    /** The name of the first counted call ("malloc", "pthread_mutex_lock"...), for the failure message. */
    static const char* firstOffender() noexcept;
};
