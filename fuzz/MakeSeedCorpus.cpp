// Writes the fuzzers' seed corpora with the plug-in's own writers: real preset files (plain and compressed),
// real state chunks, the texts the parameter boxes accept, and audio files from the framework's writers
// with the awkward variants found in the wild. Usage: wydenza-fuzz-seeds <fuzz/corpus>
#include "FuzzHelpers.h"
#include "presets/PresetFile.h"
#include "processor/WydenzaAudioProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>
#include <iostream>

namespace
{
/** A stereo sine of some frames in a format and depth, as the framework writes it. */
juce::MemoryBlock audioFile (juce::AudioFormat& format, int bits, int frames)
{
    juce::MemoryBlock bytes;
    juce::AudioBuffer<float> buffer (2, juce::jmax (1, frames));
    for (int i = 0; i < frames; ++i)
    {
        buffer.setSample (0, i, 0.5f * std::sin ((float) i * 0.05f));
        buffer.setSample (1, i, 0.3f * std::sin ((float) i * 0.13f));
    }

    auto* stream = new juce::MemoryOutputStream (bytes, false);
    std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (stream, 44100.0, 2, bits, {}, 0));
    if (writer == nullptr)
        delete stream;
    else
        writer->writeFromAudioSampleBuffer (buffer, 0, frames);
    return bytes;
}

/** Where a chunk id first occurs in a file's bytes. */
size_t findId (const juce::MemoryBlock& bytes, const char* id)
{
    const auto* begin = static_cast<const char*> (bytes.getData());
    return (size_t) (std::search (begin, begin + bytes.getSize(), id, id + 4) - begin);
}

/** A WAV's bytes with the data chunk's size replaced, and the RIFF size too. */
juce::MemoryBlock withSizes (juce::MemoryBlock wav, juce::uint32 riffSize, juce::uint32 dataSize)
{
    auto* bytes = static_cast<char*> (wav.getData());
    const auto data = findId (wav, "data");
    std::memcpy (bytes + 4, &riffSize, 4);
    if (data + 8 <= wav.getSize())
        std::memcpy (bytes + data + 4, &dataSize, 4);
    return wav;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: wydenza-fuzz-seeds <corpus folder>\n";
        return 2;
    }

    const fuzzing::ScratchHome home;
    const auto corpus = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    const auto presetSeeds = corpus.getChildFile ("preset-file");
    const auto stateSeeds = corpus.getChildFile ("state");
    const auto stateXmlSeeds = corpus.getChildFile ("state-xml"); // the same inputs, for the processor-free fuzzer
    const auto textSeeds = corpus.getChildFile ("parameter-text");

    for (const auto& folder : { presetSeeds, stateSeeds, stateXmlSeeds, textSeeds })
        if (! folder.createDirectory())
            return 1;

    WydenzaAudioProcessor processor;

    // The fuzzer's first byte picks the form: 0 the file as it is, 1 the rest zlib-compressed behind the header.
    const auto addPresetSeed = [&] (const juce::String& name, bool compress)
    {
        const auto file = presetSeeds.getChildFile (name + ".q7p");

        if (! PresetFile::write (processor.createPresetTree(), file, compress))
            return false;

        juce::MemoryBlock bytes;
        file.loadFileAsData (bytes);
        juce::MemoryBlock seed;
        seed.append ("\0", 1);
        seed.append (bytes.getData(), bytes.getSize());
        file.replaceWithData (seed.getData(), seed.getSize());
        return true;
    };

    // The fuzzer's first byte's low bit, when set, puts the chunk header in front of the rest.
    const auto addStateSeed = [&] (const juce::String& name)
    {
        juce::MemoryBlock chunk;
        processor.getStateInformation (chunk);
        juce::MemoryBlock seed;
        seed.append ("\0", 1);
        seed.append (chunk.getData(), chunk.getSize());
        return stateSeeds.getChildFile (name).replaceWithData (seed.getData(), seed.getSize())
               && stateXmlSeeds.getChildFile (name).replaceWithData (seed.getData(), seed.getSize());
    };

    bool ok = addPresetSeed ("init-plain", false) && addStateSeed ("init");
    processor.selectFactoryPreset (5);
    processor.setParameterFromEditor ("Pan", 0.3f, true);
    processor.channelName = "Bus 3";
    ok = ok && addPresetSeed ("factory5-compressed", true) && addStateSeed ("factory5-edited");

    processor.changeProgramName (0, "Name & <Entities> \"quoted\"");
    ok = ok && addPresetSeed ("entities-plain", false) && addStateSeed ("entities");

    int n = 0;

    for (const auto* text : { "L50", "R30", "C", "c", "150Hz", "OFF", "-3dB", "+6.5", "100 %", "200", "1e39", "-0", "  r12  ", "BYPASS ACTIVE", "sin/cos" })
        ok = ok && textSeeds.getChildFile ("text" + juce::String (n++)).replaceWithText (text);

    // The audio-file fuzzer takes the bytes as a file.
    const auto audioSeeds = corpus.getChildFile ("audio-file");
    ok = ok && audioSeeds.createDirectory();
    juce::WavAudioFormat wav;
    juce::AiffAudioFormat aiff;
    juce::FlacAudioFormat flac;
    juce::OggVorbisAudioFormat ogg;
    const auto wav16 = audioFile (wav, 16, 300);
    const auto flac16 = audioFile (flac, 16, 9000);
    const auto addAudio = [&] (const juce::String& name, const juce::MemoryBlock& bytes)
    { return bytes.getSize() > 0 && audioSeeds.getChildFile (name).replaceWithData (bytes.getData(), bytes.getSize()); };

    ok = ok && addAudio ("wav16.wav", wav16) && addAudio ("wav24.wav", audioFile (wav, 24, 200)) && addAudio ("wav32f.wav", audioFile (wav, 32, 100))
         && addAudio ("wav0.wav", audioFile (wav, 16, 0)) && addAudio ("wav1.wav", audioFile (wav, 24, 1)) && addAudio ("aiff16.aiff", audioFile (aiff, 16, 200))
         && addAudio ("aiff24.aiff", audioFile (aiff, 24, 50)) && addAudio ("flac16.flac", flac16) && addAudio ("flac24.flac", audioFile (flac, 24, 5000))
         && addAudio ("vorbis.ogg", audioFile (ogg, 16, 3000));

    // Awkward WAVs: the data size of a writer into a pipe, an odd chunk without its pad byte, data before the format.
    ok = ok && addAudio ("stream-ff.wav", withSizes (wav16, 0xffffffff, 0xffffffff)) && addAudio ("stream-0.wav", withSizes (wav16, 0, 0))
         && addAudio ("cut.wav", juce::MemoryBlock (wav16.getData(), wav16.getSize() / 2));
    {
        juce::MemoryOutputStream noPad, dataFirst;
        const auto* bytes = static_cast<const char*> (wav16.getData());
        const auto dataAt = findId (wav16, "data");
        noPad.write (bytes, dataAt);
        noPad.write ("junk\x03\0\0\0abc", 11);
        noPad.write (bytes + dataAt, wav16.getSize() - dataAt);
        dataFirst.write (bytes, 12);
        dataFirst.write (bytes + dataAt, wav16.getSize() - dataAt);
        dataFirst.write (bytes + 12, dataAt - 12);
        ok = ok && addAudio ("no-pad.wav", noPad.getMemoryBlock()) && addAudio ("data-first.wav", dataFirst.getMemoryBlock());
    }

    // A FLAC cut short, and one with bytes wiped in the middle.
    juce::MemoryBlock damaged (flac16);
    std::memset (static_cast<char*> (damaged.getData()) + damaged.getSize() / 2, 0, 32);
    ok = ok && addAudio ("flac-cut.flac", juce::MemoryBlock (flac16.getData(), flac16.getSize() * 7 / 10)) && addAudio ("flac-damaged.flac", damaged);

    std::cout << (ok ? "seeds written to " : "could not write seeds to ") << corpus.getFullPathName() << "\n";
    return ok ? 0 : 1;
}
