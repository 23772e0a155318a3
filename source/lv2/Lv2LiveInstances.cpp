#include "Lv2LiveInstances.h"

#include <mutex>
#include <set>

namespace
{
std::mutex& instancesLock()
{
    static std::mutex lock;
    return lock;
}

std::set<const void*>& instances()
{
    static std::set<const void*> live;
    return live;
}
} // namespace

void Lv2LiveInstances::add (const void* instance)
{
    const std::lock_guard<std::mutex> guard (instancesLock());
    instances().insert (instance);
}

void Lv2LiveInstances::remove (const void* instance)
{
    const std::lock_guard<std::mutex> guard (instancesLock());
    instances().erase (instance);
}

bool Lv2LiveInstances::contains (const void* instance)
{
    const std::lock_guard<std::mutex> guard (instancesLock());
    return instances().count (instance) != 0;
}
