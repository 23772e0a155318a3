#include "AudioThreadGuard.h"

#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

// glibc's own allocator entry points: the replacements below forward to them, so no lookup is needed
// (a lookup would itself allocate).
extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);
    void __libc_free (void*);
}

namespace
{
// Static thread-local storage of the executable: reading it never allocates.
thread_local bool armed = false;
thread_local std::size_t allocations = 0;
thread_local std::size_t locks = 0;
std::atomic<const char*> offender { nullptr };

inline void countAllocation (const char* what) noexcept
{
    if (armed)
    {
        ++allocations;
        const char* none = nullptr;
        offender.compare_exchange_strong (none, what);
    }
}

inline void countLock (const char* what) noexcept
{
    if (armed)
    {
        ++locks;
        const char* none = nullptr;
        offender.compare_exchange_strong (none, what);
    }
}

template <typename Function>
Function realFunction (const char* name) noexcept
{
    // dlsym does not take any of the locks counted here, and the result is cached by the caller.
    return reinterpret_cast<Function> (dlsym (RTLD_NEXT, name));
}

void* allocateOrThrow (std::size_t size)
{
    countAllocation ("operator new");

    if (auto* p = __libc_malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void* allocateAlignedOrThrow (std::size_t size, std::align_val_t alignment)
{
    countAllocation ("aligned operator new");

    if (auto* p = __libc_memalign ((size_t) alignment, size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void release (void* p) noexcept
{
    if (p != nullptr)
        countAllocation ("operator delete");

    __libc_free (p);
}
} // namespace

AudioThreadGuard::AudioThreadGuard() noexcept
{
    allocations = 0;
    locks = 0;
    armed = true;
}

AudioThreadGuard::~AudioThreadGuard() noexcept
{
    armed = false;
}

AudioThreadGuard::Counts AudioThreadGuard::getCounts() const noexcept
{
    return { allocations, locks };
}

const char* AudioThreadGuard::firstOffender() noexcept
{
    const auto* name = offender.load();
    return name != nullptr ? name : "(none)";
}

//==============================================================================
void* operator new (std::size_t size) { return allocateOrThrow (size); }
void* operator new[] (std::size_t size) { return allocateOrThrow (size); }
void* operator new (std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }
void* operator new[] (std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow (size, alignment); }

void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    countAllocation ("operator new");
    return __libc_malloc (size == 0 ? 1 : size);
}

void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    countAllocation ("operator new[]");
    return __libc_malloc (size == 0 ? 1 : size);
}

void operator delete (void* p) noexcept { release (p); }
void operator delete[] (void* p) noexcept { release (p); }
void operator delete (void* p, std::size_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t) noexcept { release (p); }
void operator delete (void* p, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { release (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept { release (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept { release (p); }

//==============================================================================
extern "C"
{
    void* malloc (size_t size)
    {
        countAllocation ("malloc");
        return __libc_malloc (size);
    }

    void* calloc (size_t count, size_t size)
    {
        countAllocation ("calloc");
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, size_t size)
    {
        countAllocation ("realloc");
        return __libc_realloc (p, size);
    }

    void free (void* p)
    {
        if (p != nullptr)
            countAllocation ("free");

        __libc_free (p);
    }

    void* memalign (size_t alignment, size_t size)
    {
        countAllocation ("memalign");
        return __libc_memalign (alignment, size);
    }

    void* aligned_alloc (size_t alignment, size_t size)
    {
        countAllocation ("aligned_alloc");
        return __libc_memalign (alignment, size);
    }

    int posix_memalign (void** result, size_t alignment, size_t size)
    {
        countAllocation ("posix_memalign");

        if (alignment < sizeof (void*) || (alignment & (alignment - 1)) != 0)
            return EINVAL;

        *result = __libc_memalign (alignment, size);
        return *result != nullptr ? 0 : ENOMEM;
    }

//==============================================================================
#define WYDENZA_COUNTED_LOCK(name, signature, arguments)         \
    int name signature                                           \
    {                                                            \
        using Function = int (*) signature;                      \
        static const auto real = realFunction<Function> (#name); \
        countLock (#name);                                       \
        return real arguments;                                   \
    }

    WYDENZA_COUNTED_LOCK (pthread_mutex_lock, (pthread_mutex_t * m), (m))
    WYDENZA_COUNTED_LOCK (pthread_mutex_trylock, (pthread_mutex_t * m), (m))
    WYDENZA_COUNTED_LOCK (pthread_mutex_timedlock, (pthread_mutex_t * m, const struct timespec* t), (m, t))
    WYDENZA_COUNTED_LOCK (pthread_rwlock_rdlock, (pthread_rwlock_t * l), (l))
    WYDENZA_COUNTED_LOCK (pthread_rwlock_wrlock, (pthread_rwlock_t * l), (l))
    WYDENZA_COUNTED_LOCK (pthread_rwlock_tryrdlock, (pthread_rwlock_t * l), (l))
    WYDENZA_COUNTED_LOCK (pthread_rwlock_trywrlock, (pthread_rwlock_t * l), (l))
    WYDENZA_COUNTED_LOCK (pthread_spin_lock, (pthread_spinlock_t * l), (l))
    WYDENZA_COUNTED_LOCK (pthread_spin_trylock, (pthread_spinlock_t * l), (l))
    WYDENZA_COUNTED_LOCK (sem_wait, (sem_t * s), (s))
    WYDENZA_COUNTED_LOCK (sem_timedwait, (sem_t * s, const struct timespec* t), (s, t))

#undef WYDENZA_COUNTED_LOCK
}
