#include "JackPatchbay.h"

#include "RuntimeLibrary.h"

#include <jack/jack.h>
#include <unistd.h>

struct JackPatchbay::Library
{
    Library()
    {
        // The client's process id is only a help in finding the app's own client; older libjacks lack it.
        usable = jack.load (clientOpen, "jack_client_open") && jack.load (clientClose, "jack_client_close")
                 && jack.load (getPorts, "jack_get_ports") && jack.load (portByName, "jack_port_by_name")
                 && jack.load (getAllConnections, "jack_port_get_all_connections") && jack.load (connect, "jack_connect")
                 && jack.load (freeMemory, "jack_free") && jack.load (onShutdown, "jack_on_shutdown");
        jack.load (getClientPid, "jack_get_client_pid");
    }

    bool isUsable() const { return usable; }

    /** Copies a list libjack allocated and frees it. */
    juce::StringArray take (const char** names) const
    {
        juce::StringArray result;
        if (names == nullptr)
            return result;
        for (auto** name = names; *name != nullptr; ++name)
            result.add (juce::String::fromUTF8 (*name));
        freeMemory (static_cast<void*> (names));
        return result;
    }

    RuntimeLibrary jack { "libjack.so.0" };
    bool usable = false;
    jack_client_t* (*clientOpen) (const char*, jack_options_t, jack_status_t*, ...) = nullptr;
    int (*clientClose) (jack_client_t*) = nullptr;
    const char** (*getPorts) (jack_client_t*, const char*, const char*, unsigned long) = nullptr;
    jack_port_t* (*portByName) (jack_client_t*, const char*) = nullptr;
    const char** (*getAllConnections) (const jack_client_t*, const jack_port_t*) = nullptr;
    int (*connect) (jack_client_t*, const char*, const char*) = nullptr;
    void (*freeMemory) (void*) = nullptr;
    int (*getClientPid) (const char*) = nullptr;
    void (*onShutdown) (jack_client_t*, JackShutdownCallback, void*) = nullptr;
};

JackPatchbay::JackPatchbay()
    : library (loadLibrary())
{
    if (! library.isUsable())
        return;

    jack_status_t status {};
    client = library.clientOpen ("WydenzaPatchbay", JackNoStartServer, &status);

    if (client != nullptr)
        library.onShutdown (
            static_cast<jack_client_t*> (client), [] (void* flag)
            { static_cast<std::atomic<bool>*> (flag)->store (true); },
            serverGone);
}

JackPatchbay::~JackPatchbay()
{
    // Closing a client whose server has gone cancels libjack's notification thread, which aborts the whole
    // app (a C++ thread cancelled mid-unwind); such a client is left as it is, like the framework leaves its
    // own, and so is the flag its shutdown callback may still set.
    if (client != nullptr && serverGone->load())
        return;

    if (client != nullptr)
        library.clientClose (static_cast<jack_client_t*> (client));

    delete serverGone;
}

juce::String JackPatchbay::findOwnClient (const juce::String& shortPortName, const juce::String& fallbackName) const
{
    if (client == nullptr || library.getClientPid == nullptr)
        return fallbackName;

    const auto pattern = ":" + shortPortName + "$";
    const auto ports = library.take (library.getPorts (static_cast<jack_client_t*> (client), pattern.toRawUTF8(), nullptr, 0));

    for (const auto& port : ports)
    {
        const auto name = port.upToLastOccurrenceOf (":", false, false);
        if (library.getClientPid (name.toRawUTF8()) == static_cast<int> (getpid()))
            return name;
    }

    return fallbackName;
}

juce::StringArray JackPatchbay::getConnections (const juce::String& portName) const
{
    if (client == nullptr)
        return {};

    auto* port = library.portByName (static_cast<jack_client_t*> (client), portName.toRawUTF8());
    return port != nullptr ? library.take (library.getAllConnections (static_cast<jack_client_t*> (client), port)) : juce::StringArray();
}

bool JackPatchbay::portExists (const juce::String& portName) const
{
    return client != nullptr && library.portByName (static_cast<jack_client_t*> (client), portName.toRawUTF8()) != nullptr;
}

bool JackPatchbay::connect (const juce::String& source, const juce::String& destination) const
{
    return client != nullptr && library.connect (static_cast<jack_client_t*> (client), source.toRawUTF8(), destination.toRawUTF8()) == 0;
}

const JackPatchbay::Library& JackPatchbay::loadLibrary()
{
    static const Library loaded;
    return loaded;
}
