#pragma once

#include <functional>
#include <memory>

class WydenzaAudioProcessor;

/**
    Runs a batch of renders on worker threads, each with a processor of its own.

    The processors are made and destroyed on the calling thread only: their constructor reads the settings
    file and the presets folder and asks the framework for the display, and their destructor may write the
    settings file, none of which is safe from several threads at once. The workers only render. At most
    `jobs` made processors wait for a worker, so memory stays bounded on a long batch. With one job every
    task runs on the calling thread, in order.
*/
class ParallelBatch
{
public:
    /** Makes the processor for a task; may return nullptr (the task then reports why). */
    using MakeProcessor = std::function<std::unique_ptr<WydenzaAudioProcessor> (int task)>;
    /** Does a task; must not throw. */
    using Work = std::function<void (int task, WydenzaAudioProcessor*)>;

    static void run (int numTasks, int jobs, const MakeProcessor&, const Work&);
};
