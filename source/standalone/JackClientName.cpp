#include "JackClientName.h"

#include <string>

namespace
{
std::string& storedName()
{
    static std::string name = JackClientName::defaultName;
    return name;
}
} // namespace

const char* JackClientName::get() noexcept
{
    return storedName().c_str();
}

void JackClientName::set (const char* utf8Name)
{
    storedName() = utf8Name;
}
