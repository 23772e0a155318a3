#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/**
    A new file written beside its target and moved over it only when every byte is on the disk. Until then
    it has a short hidden name, ".<name>.tmp-<pid>", that no glob on the target's extension matches, and it
    is removed when dropped or when the process is interrupted. Every write, the final sync and the close
    are checked: a full disk or a file-size limit throws RenderError naming the cause, and the target keeps
    what it held. A folder in the target's place is never removed.
*/
class OutputFile
{
public:
    /** Creates the temporary file; throws RenderError when the target cannot be written (a folder, a
        missing or read-only folder). */
    explicit OutputFile (const juce::File& target);
    ~OutputFile();

    /** The stream into the temporary file, for a writer to own; once only. */
    std::unique_ptr<juce::OutputStream> takeStream();

    /** Throws RenderError when a write has failed so far. */
    void throwIfFailed() const;

    /** After the stream is gone: syncs, closes and moves the file over the target; throws RenderError. */
    void commit();

    const juce::File& getTemporaryFile() const noexcept { return temporary; }

    /** "no space left on device", "permission denied": the system's text for an errno, in lower case. */
    static juce::String describeError (int errorNumber);

    /** The message for a file that cannot be written, from the errno of the attempt. */
    static juce::String cannotWrite (const juce::File& target, int errorNumber);

    struct Status
    {
        int firstError = 0;
    };

private:
    juce::File target, temporary;
    int fd = -1, cleanupSlot = -1;
    bool committed = false, streamTaken = false;
    std::shared_ptr<Status> status;

    void fail (int errorNumber) const;
};
