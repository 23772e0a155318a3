#include "FlacFileReader.h"

#include <FLAC/stream_decoder.h>

#include <cstring>

namespace
{
FLAC__StreamDecoder* decoderOf (void* decoder)
{
    return static_cast<FLAC__StreamDecoder*> (decoder);
}
} // namespace

struct FlacDecoderCallbacks
{
    static FlacFileReader& reader (void* data) { return *static_cast<FlacFileReader*> (data); }

    static FLAC__StreamDecoderReadStatus read (const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes, void* data)
    {
        const auto wanted = (int) juce::jmin (*bytes, (size_t) (1 << 20));
        const auto got = reader (data).input->read (buffer, wanted);
        *bytes = (size_t) juce::jmax (0, got);
        return got > 0 ? FLAC__STREAM_DECODER_READ_STATUS_CONTINUE : FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }

    static FLAC__StreamDecoderSeekStatus seek (const FLAC__StreamDecoder*, FLAC__uint64 offset, void* data)
    {
        return reader (data).input->setPosition ((juce::int64) offset) ? FLAC__STREAM_DECODER_SEEK_STATUS_OK : FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    }

    static FLAC__StreamDecoderTellStatus tell (const FLAC__StreamDecoder*, FLAC__uint64* offset, void* data)
    {
        *offset = (FLAC__uint64) reader (data).input->getPosition();
        return FLAC__STREAM_DECODER_TELL_STATUS_OK;
    }

    static FLAC__StreamDecoderLengthStatus length (const FLAC__StreamDecoder*, FLAC__uint64* length, void* data)
    {
        const auto total = reader (data).input->getTotalLength();
        if (total < 0)
            return FLAC__STREAM_DECODER_LENGTH_STATUS_UNSUPPORTED;
        *length = (FLAC__uint64) total;
        return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
    }

    static FLAC__bool eof (const FLAC__StreamDecoder*, void* data)
    {
        return reader (data).input->isExhausted();
    }

    static FLAC__StreamDecoderWriteStatus write (const FLAC__StreamDecoder*, const FLAC__Frame* frame, const FLAC__int32* const buffer[], void* data)
    {
        const auto& h = frame->header;
        auto& r = reader (data);
        const auto start = h.number_type == FLAC__FRAME_NUMBER_TYPE_SAMPLE_NUMBER ? (juce::int64) h.number.sample_number
                                                                                  : (juce::int64) h.number.frame_number * r.minBlockSize;
        r.takeFrame (start, (juce::int64) h.blocksize, h.channels, h.bits_per_sample, buffer);
        return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
    }

    static void metadata (const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* data)
    {
        auto& r = reader (data);

        if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO || r.valid)
            return;

        const auto& info = metadata->data.stream_info;
        r.sampleRate = info.sample_rate;
        r.numChannels = info.channels;
        r.bitsPerSample = info.bits_per_sample;
        r.claimedFrames = (juce::int64) info.total_samples;
        r.minBlockSize = info.min_blocksize;
        r.valid = info.sample_rate > 0 && info.channels > 0 && info.bits_per_sample >= 4 && info.bits_per_sample <= 32;
    }

    static void error (const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* data)
    {
        // A frame whose checksum fails, and (since libFLAC 1.4) one lost with the sync, still reaches the
        // write callback, as silence of its length.
        juce::ignoreUnused (status);
        ++reader (data).pendingErrors;
    }
};

FlacFileReader::FlacFileReader (juce::InputStream* stream) : juce::AudioFormatReader (stream, "FLAC file")
{
    lengthInSamples = 0;
    auto* flac = FLAC__stream_decoder_new();
    decoder = flac;

    if (flac == nullptr)
        return;

    FLAC__stream_decoder_set_md5_checking (flac, false);

    using C = FlacDecoderCallbacks;
    if (FLAC__stream_decoder_init_stream (flac, C::read, C::seek, C::tell, C::length, C::eof, C::write, C::metadata, C::error, this)
            != FLAC__STREAM_DECODER_INIT_STATUS_OK
        || ! FLAC__stream_decoder_process_until_end_of_metadata (flac) || ! valid)
    {
        valid = false;
        return;
    }

    // Past a day of audio the file is refused anyway; a few bytes can claim that much.
    const auto longest = (juce::int64) (24.0 * 60.0 * 60.0 * sampleRate);
    scanning = true;
    while (decodedEnd <= longest && decodeNextFrame())
    {
    }
    scanning = false;

    lengthInSamples = claimedFrames > 0 ? juce::jmin (decodedEnd, claimedFrames) : decodedEnd;
    if (claimedFrames == 0)
        claimedFrames = lengthInSamples;
    damagedFrames = juce::jmax ((juce::int64) 0, lengthInSamples - decodedFrames);

    valid = restart();
}

FlacFileReader::~FlacFileReader()
{
    if (decoder != nullptr)
        FLAC__stream_decoder_delete (decoderOf (decoder));
}

void FlacFileReader::takeFrame (juce::int64 start, juce::int64 length, unsigned int channels, unsigned int bits, const int* const* buffer)
{
    if (channels != numChannels || bits != bitsPerSample || length <= 0)
        return;

    if (scanning)
    {
        // Silence right after a decoder error stands for the frame that was lost.
        auto isStandIn = false;
        if (pendingErrors > 0)
        {
            isStandIn = true;
            for (unsigned int channel = 0; channel < channels && isStandIn; ++channel)
                for (juce::int64 i = 0; i < length && isStandIn; ++i)
                    isStandIn = buffer[channel][i] == 0;
            pendingErrors = isStandIn ? pendingErrors - 1 : 0;
        }

        // A frame that goes back in time is not audio.
        if (start >= decodedEnd && ! isStandIn)
        {
            decodedFrames += claimedFrames > 0 ? juce::jlimit ((juce::int64) 0, length, claimedFrames - start) : length;
            decodedEnd = start + length;
        }
        return;
    }

    if (start < takenEnd)
        return;

    takenEnd = start + length;
    DecodedFrame frame { start, length, {} };
    const auto shift = 32 - (int) bitsPerSample;

    for (unsigned int channel = 0; channel < numChannels; ++channel)
    {
        auto& samples = frame.samples.emplace_back ((size_t) length);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = (int) ((juce::uint32) buffer[channel][i] << shift);
    }

    frames.push_back (std::move (frame));
}

bool FlacFileReader::decodeNextFrame()
{
    const auto before = scanning ? decodedEnd : takenEnd;

    for (;;)
    {
        if (! FLAC__stream_decoder_process_single (decoderOf (decoder)))
            return false;

        if ((scanning ? decodedEnd : takenEnd) != before)
            return true;

        const auto state = FLAC__stream_decoder_get_state (decoderOf (decoder));
        if (state == FLAC__STREAM_DECODER_END_OF_STREAM || state == FLAC__STREAM_DECODER_ABORTED)
            return false;
    }
}

bool FlacFileReader::restart()
{
    frames.clear();
    passedEnd = takenEnd = 0;
    pendingErrors = 0;
    return FLAC__stream_decoder_reset (decoderOf (decoder)) && FLAC__stream_decoder_process_until_end_of_metadata (decoderOf (decoder));
}

bool FlacFileReader::readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer, juce::int64 startSampleInFile, int numSamples)
{
    if (! valid)
        return false;

    auto position = startSampleInFile;
    auto offset = startOffsetInDestBuffer;
    auto remaining = (juce::int64) numSamples;

    const auto fill = [&] (juce::int64 count, const DecodedFrame* source)
    {
        for (int channel = 0; channel < numDestChannels; ++channel)
        {
            if (destChannels[channel] == nullptr)
                continue;

            auto* dest = destChannels[channel] + offset;
            if (source != nullptr && channel < (int) source->samples.size())
                std::memcpy (dest, source->samples[(size_t) channel].data() + (position - source->start), (size_t) count * sizeof (int));
            else
                std::memset (dest, 0, (size_t) count * sizeof (int));
        }

        position += count;
        offset += (int) count;
        remaining -= count;
    };

    while (remaining > 0)
    {
        if (frames.empty())
        {
            if (! decodeNextFrame())
                break;
            continue;
        }

        const auto& frame = frames.front();

        if (position < frame.start)
        {
            // In the gap a lost frame left: silence, so that what follows keeps its time.
            if (position >= passedEnd)
            {
                fill (juce::jmin (remaining, frame.start - position), nullptr);
                continue;
            }

            // Earlier than the decoder has got to: from the start again.
            if (! restart())
                break;
            continue;
        }

        if (position < frame.start + frame.length)
        {
            fill (juce::jmin (remaining, frame.start + frame.length - position), &frame);
            continue;
        }

        passedEnd = frame.start + frame.length;
        frames.pop_front();
    }

    if (remaining > 0)
        fill (remaining, nullptr);

    return true;
}
