#include "RuntimeLibrary.h"

#include <dlfcn.h>

RuntimeLibrary::RuntimeLibrary (const char* fileName)
    : handle (dlopen (fileName, RTLD_LAZY | RTLD_LOCAL))
{
}

void* RuntimeLibrary::findSymbol (const char* name) const
{
    return handle != nullptr ? dlsym (handle, name) : nullptr;
}
