#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <mutex>

/** The framework's message loop inside an LV2 host, which runs no loop of ours. While only DSP instances
    exist, a thread of ours dispatches messages (timers, asynchronous calls); while an editor is open, the
    host's UI thread is the message thread and dispatches them from its idle callback, so that the editor's
    windows live on the thread the host embeds them from. Shared by every instance in this binary.
*/
class Lv2MessageLoop
{
public:
    Lv2MessageLoop();
    ~Lv2MessageLoop();

    /** Held by each DSP instance: keeps messages flowing while no editor drives the loop. */
    class BackgroundUser
    {
    public:
        BackgroundUser();
        ~BackgroundUser();

    private:
        juce::SharedResourcePointer<Lv2MessageLoop> loop;
        JUCE_DECLARE_NON_COPYABLE (BackgroundUser)
    };

    /** Held by each editor: the thread that makes it becomes the message thread until the last one goes. */
    class HostDriven
    {
    public:
        HostDriven();
        ~HostDriven();

        /** Dispatches every message waiting; called from the host's idle callback. */
        void dispatchPending();

    private:
        juce::SharedResourcePointer<Lv2MessageLoop> loop;
        JUCE_DECLARE_NON_COPYABLE (HostDriven)
    };

private:
    class DispatchThread;

    void changeUsers (int backgroundDelta, int hostDrivenDelta);

    // Before the thread, so that the framework outlives it.
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    std::mutex lock;
    int backgroundUsers = 0, hostDrivenUsers = 0;
    std::unique_ptr<DispatchThread> thread;

    JUCE_DECLARE_NON_COPYABLE (Lv2MessageLoop)
};
