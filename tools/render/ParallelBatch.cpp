#include "ParallelBatch.h"

#include "processor/WydenzaAudioProcessor.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

void ParallelBatch::run (int numTasks, int jobs, const MakeProcessor& make, const Work& work)
{
    if (jobs <= 1 || numTasks <= 1)
    {
        for (int task = 0; task < numTasks; ++task)
            work (task, make (task).get());

        return;
    }

    using Processor = std::unique_ptr<WydenzaAudioProcessor>;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<int, Processor>> waiting;
    std::vector<Processor> finished;
    bool allMade = false;
    int numFinished = 0;

    const auto worker = [&]
    {
        for (;;)
        {
            std::unique_lock<std::mutex> lock (mutex);
            changed.wait (lock, [&]
                          { return ! waiting.empty() || allMade; });

            if (waiting.empty())
                return;

            auto [task, processor] = std::move (waiting.front());
            waiting.pop_front();
            lock.unlock();

            work (task, processor.get());

            lock.lock();
            finished.push_back (std::move (processor));
            ++numFinished;
            changed.notify_all();
        }
    };

    std::vector<std::thread> workers;
    for (int i = 0; i < juce::jmin (jobs, numTasks); ++i)
        workers.emplace_back (worker);

    // Destroys, on this thread, the processors the workers are done with.
    const auto destroyFinished = [&] (std::unique_lock<std::mutex>& lock)
    {
        auto done = std::move (finished);
        finished.clear();
        lock.unlock();
        done.clear();
        lock.lock();
    };

    for (int task = 0; task < numTasks; ++task)
    {
        {
            std::unique_lock<std::mutex> lock (mutex);
            changed.wait (lock, [&]
                          { return (int) waiting.size() < jobs || ! finished.empty(); });
            destroyFinished (lock);
            changed.wait (lock, [&]
                          { return (int) waiting.size() < jobs; });
        }

        auto processor = make (task);

        const std::lock_guard<std::mutex> lock (mutex);
        waiting.emplace_back (task, std::move (processor));
        changed.notify_all();
    }

    {
        std::unique_lock<std::mutex> lock (mutex);
        allMade = true;
        changed.notify_all();

        while (numFinished < numTasks)
        {
            changed.wait (lock, [&]
                          { return numFinished == numTasks || ! finished.empty(); });
            destroyFinished (lock);
        }

        destroyFinished (lock);
    }

    for (auto& thread : workers)
        thread.join();
}
