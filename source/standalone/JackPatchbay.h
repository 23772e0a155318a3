#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

/** A short-lived JACK client of the app's own that reads and makes connections of other clients' ports,
    the framework's JACK device offering no way to. libjack is opened at run time, as the framework does,
    so the app runs where JACK is not installed. Message thread; open it only for a moment.
*/
class JackPatchbay
{
public:
    /** Connects to the running server; isConnected() says whether that worked. */
    JackPatchbay();
    ~JackPatchbay();

    bool isConnected() const noexcept { return client != nullptr; }

    /** The name JACK gave the client of this process that owns a port with the given short name (e.g.
        "in_1"), or fallbackName where the server cannot tell which process a client belongs to.
    */
    juce::String findOwnClient (const juce::String& shortPortName, const juce::String& fallbackName) const;

    /** The full names of the ports connected to portName; empty when none are or there is no such port. */
    juce::StringArray getConnections (const juce::String& portName) const;

    bool portExists (const juce::String& portName) const;

    /** Connects an output port to an input port; false when JACK refused. */
    bool connect (const juce::String& source, const juce::String& destination) const;

private:
    struct Library;
    static const Library& loadLibrary();

    const Library& library;
    void* client = nullptr;
    std::atomic<bool>* serverGone = new std::atomic<bool> (false);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackPatchbay)
};
