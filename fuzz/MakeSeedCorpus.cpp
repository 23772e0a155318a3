// Writes the fuzzers' seed corpora with the plug-in's own writers: real preset files (plain and compressed),
// real state chunks and the texts the parameter boxes accept. Usage: wydenza-fuzz-seeds <fuzz/corpus>
#include "FuzzHelpers.h"
#include "presets/PresetFile.h"
#include "processor/WydenzaAudioProcessor.h"

#include <iostream>

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

    std::cout << (ok ? "seeds written to " : "could not write seeds to ") << corpus.getFullPathName() << "\n";
    return ok ? 0 : 1;
}
