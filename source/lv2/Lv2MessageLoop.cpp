#include "Lv2MessageLoop.h"

namespace juce
{
// The framework's own step of its Linux message loop (juce_linux_Messaging.cpp); its plug-in clients drive
// the loop through it too.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

class Lv2MessageLoop::DispatchThread : public juce::Thread
{
public:
    DispatchThread() : juce::Thread ("Wydenza message thread")
    {
        startThread();
        // The thread must own the loop before anyone posts to it.
        running.wait (10000);
    }

    ~DispatchThread() override
    {
        // Woken at once, so that an editor opening or an instance going waits for no idle pause.
        signalThreadShouldExit();
        notify();
        stopThread (-1);
    }

    void run() override
    {
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
        running.signal();

        while (! threadShouldExit())
            if (! juce::dispatchNextMessageOnSystemQueue (true))
                wait (2);
    }

private:
    juce::WaitableEvent running;
};

Lv2MessageLoop::Lv2MessageLoop() = default;

Lv2MessageLoop::~Lv2MessageLoop() { thread.reset(); }

void Lv2MessageLoop::changeUsers (int backgroundDelta, int hostDrivenDelta)
{
    const std::lock_guard<std::mutex> guard (lock);
    backgroundUsers += backgroundDelta;
    hostDrivenUsers += hostDrivenDelta;

    const auto threadWanted = backgroundUsers > 0 && hostDrivenUsers == 0;

    if (! threadWanted && thread != nullptr)
        thread.reset();

    if (hostDrivenDelta > 0)
        juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();

    if (threadWanted && thread == nullptr)
        thread = std::make_unique<DispatchThread>();
}

Lv2MessageLoop::BackgroundUser::BackgroundUser() { loop->changeUsers (1, 0); }
Lv2MessageLoop::BackgroundUser::~BackgroundUser() { loop->changeUsers (-1, 0); }

Lv2MessageLoop::HostDriven::HostDriven() { loop->changeUsers (0, 1); }
Lv2MessageLoop::HostDriven::~HostDriven() { loop->changeUsers (0, -1); }

void Lv2MessageLoop::HostDriven::dispatchPending()
{
    // Some hosts call idle from more than one thread over an editor's life; the caller owns the loop.
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();

    while (juce::dispatchNextMessageOnSystemQueue (true))
    {
    }
}
