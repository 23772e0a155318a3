#pragma once

#include "presets/PresetFile.h"
#include "presets/PresetTree.h"
#include "processor/SettingsFile.h"
#include "processor/WydenzaAudioProcessor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#if JUCE_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

/** Gives every test a fresh home and config folder, so that the settings file and the presets folder of a
    test never touch the user's or another test's.
*/
class PresetTestEnvironment : public ::testing::Test
{
protected:
    void SetUp() override
    {
        home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                   .getNonexistentChildFile ("wydenza-preset-test", "", false);
        ASSERT_TRUE (home.createDirectory().wasOk());
        configHome = home.getChildFile (".config");

        rememberVariable ("HOME", oldHome, hadHome);
        rememberVariable ("XDG_CONFIG_HOME", oldConfigHome, hadConfigHome);
        ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
        ::setenv ("XDG_CONFIG_HOME", configHome.getFullPathName().toRawUTF8(), 1);
    }

    void TearDown() override
    {
        for (auto& folder : unwritableFolders)
            makeWritable (folder);

        restoreVariable ("HOME", oldHome, hadHome);
        restoreVariable ("XDG_CONFIG_HOME", oldConfigHome, hadConfigHome);
        home.deleteRecursively();
    }

    juce::File settingsFile() const { return configHome.getChildFile ("ZELVORA").getChildFile ("Wydenza.q7properties"); }
    juce::File presetsFolder() const { return configHome.getChildFile ("ZELVORA").getChildFile ("Wydenza Presets"); }

    static std::unique_ptr<WydenzaAudioProcessor> makeProcessor() { return std::make_unique<WydenzaAudioProcessor>(); }

    /** Writes settings values before a processor reads them. */
    void writeSettings (const juce::String& key, const juce::var& value) const
    {
        settingsFile().getParentDirectory().createDirectory();
        juce::PropertiesFile file (settingsFile(), SettingsFile::makeOptions());
        file.setValue (key, value);
        ASSERT_TRUE (file.save());
    }

    /** A preset file in the presets folder with the given name and parameter values (name, value pairs). */
    juce::File writeUserPreset (const juce::String& name, std::initializer_list<std::pair<const char*, float>> values, bool compress = true) const
    {
        auto tree = PresetTree::create (name);

        for (const auto& [parameterName, value] : values)
            PresetTree::setParameterValue (tree, parameterName, value, nullptr);

        presetsFolder().createDirectory();
        const auto file = presetsFolder().getChildFile (name + ".q7p");
        EXPECT_TRUE (PresetFile::write (tree, file, compress));
        return file;
    }

    /** Makes a folder refuse new files, even for the super-user where the file system allows it. Returns
        false when this system cannot make it so.
    */
    bool makeUnwritable (const juce::File& folder)
    {
#if JUCE_LINUX
        unwritableFolders.add (folder);
        ::chmod (folder.getFullPathName().toRawUTF8(), 0555);
        setImmutable (folder, true);

        const auto probe = folder.getChildFile ("probe");

        if (probe.create().wasOk())
        {
            probe.deleteFile();
            return false;
        }

        return true;
#else
        juce::ignoreUnused (folder);
        return false;
#endif
    }

    juce::File home, configHome;

private:
    static void rememberVariable (const char* name, juce::String& value, bool& had)
    {
        const auto* current = std::getenv (name);
        had = current != nullptr;
        value = had ? juce::String::fromUTF8 (current) : juce::String();
    }

    static void restoreVariable (const char* name, const juce::String& value, bool had)
    {
        if (had)
            ::setenv (name, value.toRawUTF8(), 1);
        else
            ::unsetenv (name);
    }

    static void makeWritable (const juce::File& folder)
    {
#if JUCE_LINUX
        setImmutable (folder, false);
        ::chmod (folder.getFullPathName().toRawUTF8(), 0755);
#else
        juce::ignoreUnused (folder);
#endif
    }

#if JUCE_LINUX
    static void setImmutable (const juce::File& folder, bool immutable)
    {
        const auto fd = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY);

        if (fd < 0)
            return;

        int flags = 0;

        if (::ioctl (fd, FS_IOC_GETFLAGS, &flags) == 0)
        {
            flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl (fd, FS_IOC_SETFLAGS, &flags);
        }

        ::close (fd);
    }
#endif

    juce::String oldHome, oldConfigHome;
    bool hadHome = false, hadConfigHome = false;
    juce::Array<juce::File> unwritableFolders;
};

/** The plug-in state as bytes. */
inline juce::MemoryBlock stateOf (WydenzaAudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

/** A state chunk holding exactly this element. */
inline juce::MemoryBlock chunkOf (const juce::XmlElement& element)
{
    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (element, block);
    return block;
}

inline void restore (WydenzaAudioProcessor& processor, const juce::MemoryBlock& block)
{
    processor.setStateInformation (block.getData(), (int) block.getSize());
}

inline float valueOf (WydenzaAudioProcessor& processor, const char* parameterName)
{
    return processor.getParameterSet().getValueByName (parameterName);
}
