#include "OutputFile.h"

#include "InterruptCleanup.h"
#include "RenderError.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The stem of a temporary name: with ".", ".tmp-" and a process number the name stays far below the
// 255 bytes a file name may have, however long the target's is.
constexpr int maxStemBytes = 200;

juce::String shortStem (const juce::String& name)
{
    auto stem = name;
    while (stem.getNumBytesAsUTF8() > (size_t) maxStemBytes)
        stem = stem.dropLastCharacters (1);
    return stem;
}

/** Buffered writes to a file descriptor that remember the first error instead of losing it in a
    destructor, and write at any position (the writers go back to fill in their headers). */
class CheckedStream : public juce::OutputStream
{
public:
    CheckedStream (int fileDescriptor, std::shared_ptr<OutputFile::Status> s) : fd (fileDescriptor), status (std::move (s)) {}

    ~CheckedStream() override { flushBuffer(); }

    void flush() override { flushBuffer(); }

    bool setPosition (juce::int64 newPosition) override
    {
        if (! flushBuffer() || newPosition < 0)
            return false;

        bufferStart = newPosition;
        return true;
    }

    juce::int64 getPosition() override { return bufferStart + (juce::int64) buffer.size(); }

    bool write (const void* data, size_t numBytes) override
    {
        if (status->firstError != 0)
            return false;

        if (buffer.size() + numBytes > bufferSize && ! flushBuffer())
            return false;

        if (numBytes >= bufferSize)
        {
            if (! writeAt (bufferStart, static_cast<const char*> (data), numBytes))
                return false;

            bufferStart += (juce::int64) numBytes;
            return true;
        }

        buffer.insert (buffer.end(), static_cast<const char*> (data), static_cast<const char*> (data) + numBytes);
        return true;
    }

private:
    static constexpr size_t bufferSize = 1 << 16;
    int fd;
    std::shared_ptr<OutputFile::Status> status;
    std::vector<char> buffer;
    juce::int64 bufferStart = 0;

    bool flushBuffer()
    {
        if (buffer.empty())
            return status->firstError == 0;

        const auto ok = status->firstError == 0 && writeAt (bufferStart, buffer.data(), buffer.size());
        bufferStart += (juce::int64) buffer.size();
        buffer.clear();
        return ok;
    }

    bool writeAt (juce::int64 position, const char* data, size_t numBytes)
    {
        while (numBytes > 0)
        {
            const auto written = ::pwrite (fd, data, numBytes, (off_t) position);

            if (written < 0 && errno == EINTR)
                continue;

            if (written <= 0)
            {
                // A write that takes nothing without an error has met the end of the space.
                status->firstError = written < 0 ? errno : ENOSPC;
                return false;
            }

            data += written;
            numBytes -= (size_t) written;
            position += written;
        }

        return true;
    }
};
} // namespace

juce::String OutputFile::describeError (int errorNumber)
{
    const juce::String text (std::strerror (errorNumber));
    return text.substring (0, 1).toLowerCase() + text.substring (1);
}

juce::String OutputFile::cannotWrite (const juce::File& target, int errorNumber)
{
    const auto folder = target.getParentDirectory();

    if (errorNumber == ENOENT && ! folder.isDirectory())
        return "cannot write " + target.getFullPathName() + ": the folder " + folder.getFullPathName() + " does not exist";

    if ((errorNumber == EACCES || errorNumber == EROFS) && folder.isDirectory())
        return "cannot write " + target.getFullPathName() + ": " + describeError (errorNumber) + " (the folder " + folder.getFullPathName() + " is not writable)";

    return "cannot write " + target.getFullPathName() + ": " + describeError (errorNumber);
}

OutputFile::OutputFile (const juce::File& targetFile) : target (targetFile), status (std::make_shared<Status>())
{
    if (target.isDirectory())
        throw RenderError ("cannot write " + target.getFullPathName() + ": it is a folder");

    const auto stem = "." + shortStem (target.getFileName()) + ".tmp-" + juce::String ((int) ::getpid());

    // SIGINT and SIGTERM wait while the file is made and registered for removal: between the two, the
    // handler would not know the file and leave it behind.
    sigset_t interrupts, previous;
    sigemptyset (&interrupts);
    sigaddset (&interrupts, SIGINT);
    sigaddset (&interrupts, SIGTERM);
    ::pthread_sigmask (SIG_BLOCK, &interrupts, &previous);
    int openError = 0;

    for (int attempt = 0;; ++attempt)
    {
        // A name already taken (left by a killed run with the same process number) gets a count.
        temporary = target.getSiblingFile (attempt == 0 ? stem : stem + "-" + juce::String (attempt));
        fd = ::open (temporary.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);

        if (fd >= 0)
        {
            cleanupSlot = InterruptCleanup::add (temporary);
            break;
        }

        if (errno != EEXIST || attempt > 100)
        {
            openError = errno;
            break;
        }
    }

    ::pthread_sigmask (SIG_SETMASK, &previous, nullptr);

    if (fd < 0)
        throw RenderError (cannotWrite (target, openError));
}

OutputFile::~OutputFile()
{
    if (fd >= 0)
        ::close (fd);

    if (! committed)
        ::unlink (temporary.getFullPathName().toRawUTF8());

    InterruptCleanup::remove (cleanupSlot);
}

std::unique_ptr<juce::OutputStream> OutputFile::takeStream()
{
    jassert (! streamTaken);
    streamTaken = true;
    return std::make_unique<CheckedStream> (fd, status);
}

void OutputFile::fail (int errorNumber) const
{
    throw RenderError (cannotWrite (target, errorNumber));
}

void OutputFile::throwIfFailed() const
{
    if (status->firstError != 0)
        fail (status->firstError);
}

void OutputFile::commit()
{
    throwIfFailed();

    // Some file systems report a full disk only here.
    while (::fsync (fd) != 0)
        if (errno != EINTR)
            fail (errno);

    const auto closed = ::close (fd);
    fd = -1;
    if (closed != 0 && errno != EINTR)
        fail (errno);

    // rename() would replace an empty folder; a folder in the target's place is refused instead.
    if (target.isDirectory())
        throw RenderError ("cannot write " + target.getFullPathName() + ": it is a folder");

    if (::rename (temporary.getFullPathName().toRawUTF8(), target.getFullPathName().toRawUTF8()) != 0)
        fail (errno);

    committed = true;
}
