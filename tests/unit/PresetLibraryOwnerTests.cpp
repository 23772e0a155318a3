// The preset library on its own, with a stand-in for the plug-in: what it asks of its owner.
#include "PresetTestHelpers.h"

#include "presets/FactoryPresets.h"
#include "presets/PresetLibrary.h"
#include "processor/SettingsFile.h"

namespace
{
class FakeOwner : public PresetLibrary::Owner
{
public:
    int getNumPresetParameters() const override { return (int) names.size(); }
    juce::String getPresetParameterName (int i) const override { return names[(size_t) i]; }
    int indexOfPresetParameter (const juce::String& name) const override
    {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name)
                return (int) i;
        return -1;
    }
    float getPresetParameterValue (int i) const override { return values[(size_t) i]; }
    void setParameterFromPreset (int i, float value) override { values[(size_t) i] = value; }
    void presetNameChanged() override { ++nameChanges; }
    void presetChanged() override { ++presetChanges; }
    void endUndoStep() override { undoManager.beginNewTransaction(); }
    void undoStateChanged() override {}
    void addPresetMetadata (juce::ValueTree& tree) override { tree.setProperty ("MadeBy", "a test", nullptr); }

    std::vector<juce::String> names { "StereoWidth", "SafeBass", "SafeBassFreq" };
    std::vector<float> values { 0.5f, 0.0f, 0.286f };
    int nameChanges = 0, presetChanges = 0;
    juce::UndoManager undoManager;
};
} // namespace

TEST_F (PresetTestEnvironment, TheLibraryWorksThroughItsOwnerAlone)
{
    FakeOwner owner;
    juce::PropertiesFile settings (home.getChildFile ("settings.xml"), {});
    PresetLibrary library (owner, owner.undoManager, settings);

    EXPECT_EQ (library.getPresetDisplayName(), "Init");
    EXPECT_EQ (library.getFactoryPresetNames().size(), FactoryPresets::numPresets);
    EXPECT_EQ (juce::File (settings.getValue (SettingsFile::presetsFolderKey)), library.getUserPresetsFolder()); // the default folder, now named

    // A factory preset reaches the owner's parameters and asks for a refresh; an editor change marks it.
    library.selectFactoryPreset (3);
    EXPECT_EQ (library.getPresetDisplayName(), FactoryPresets::getTable()[3].name);
    EXPECT_EQ (owner.values[0], FactoryPresets::getTable()[3].stereoWidth);
    EXPECT_GT (owner.presetChanges, 0);
    library.recordParameterChange (0, 0.9f);
    EXPECT_EQ (library.getDisplayNameFromAnyThread(), juce::String (FactoryPresets::getTable()[3].name) + "*");

    // Saved and loaded again through the owner, with the owner's metadata in the file.
    ASSERT_TRUE (library.saveUserPreset ("Owned", false));
    owner.values[0] = 0.1f;
    ASSERT_TRUE (library.loadUserPresetByName ("Owned"));
    EXPECT_EQ (owner.values[0], 0.9f);
    EXPECT_EQ (PresetFile::read (library.getUserPresetsFolder().getChildFile ("Owned.q7p"))["MadeBy"].toString(), "a test");
}
