#include "Vst3PresetFolder.h"

Vst3PresetFolder::Vst3PresetFolder (juce::File rootFolder)
    : root (std::move (rootFolder))
{
}

juce::File Vst3PresetFolder::getPresetFolder() const
{
    return root.getChildFile (JucePlugin_Manufacturer).getChildFile (JucePlugin_Name);
}

juce::String Vst3PresetFolder::write (const juce::Array<FactoryPresetStates::Entry>& presets) const
{
    const auto folder = getPresetFolder();

    if (! folder.createDirectory())
        return "could not create " + folder.getFullPathName();

    for (const auto& preset : presets)
    {
        const auto file = folder.getChildFile (juce::File::createLegalFileName (preset.name) + ".vstpreset");
        const auto data = makePresetFile (preset.chunk);
        juce::TemporaryFile temporary (file);

        if (! temporary.getFile().replaceWithData (data.getData(), data.getSize()) || ! temporary.overwriteTargetFileWithTemporary())
            return "could not write " + file.getFullPathName();
    }

    return {};
}

juce::String Vst3PresetFolder::componentClassId()
{
    // The framework's VST3 wrapper builds the component's ID from these four numbers.
    juce::String id;
    for (const auto part : { (juce::uint32) 0xABCDEF01, (juce::uint32) 0x9182FAEB, (juce::uint32) JucePlugin_ManufacturerCode, (juce::uint32) JucePlugin_PluginCode })
        id << juce::String::toHexString ((juce::int64) part).paddedLeft ('0', 8).toUpperCase();
    return id;
}

juce::MemoryBlock Vst3PresetFolder::makePresetFile (const juce::MemoryBlock& componentState)
{
    // Header ("VST3", version 1, class ID, offset of the chunk list), the component state ("Comp"), then
    // the chunk list naming it; numbers little-endian.
    constexpr juce::int64 headerSize = 4 + 4 + 32 + 8;
    juce::MemoryOutputStream out;
    out.write ("VST3", 4);
    out.writeInt (1);
    out.write (componentClassId().toRawUTF8(), 32);
    out.writeInt64 (headerSize + (juce::int64) componentState.getSize());
    out.write (componentState.getData(), componentState.getSize());
    out.write ("List", 4);
    out.writeInt (1);
    out.write ("Comp", 4);
    out.writeInt64 (headerSize);
    out.writeInt64 ((juce::int64) componentState.getSize());
    return out.getMemoryBlock();
}
