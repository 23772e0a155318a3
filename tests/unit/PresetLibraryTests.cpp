#include "PresetTestHelpers.h"

#include "presets/FactoryPresets.h"

#include <algorithm>
#include <thread>

namespace
{
const char* const factoryNames[] = { "Init", "TRACK Stereo 125%", "TRACK Stereo 150%", "TRACK Stereo 200%", "GROUP Stereo 125% + SafeBass", "GROUP Stereo 150% + SafeBass", "GROUP Stereo 200% + SafeBass", "MASTER Stereo 105% + SafeBass", "MASTER Stereo 110% + SafeBass", "MASTER Stereo 115% + SafeBass", "MASTER SafeBass 80 Hz", "MASTER SafeBass 100 Hz", "MASTER SafeBass 150 Hz", "MASTER SafeBass 250 Hz" };

double storedValue (const juce::ValueTree& tree, const char* parameterName)
{
    return (double) PresetTree::findParameter (tree, parameterName)["Value"];
}
} // namespace

class PresetLibraryTest : public PresetTestEnvironment
{
protected:
    /** Two user presets; returns their names in scan order. */
    juce::StringArray makeTwoUserPresets (WydenzaAudioProcessor& p)
    {
        writeUserPreset ("Alpha", { { "StereoWidth", 0.9f }, { "Pan", 0.2f } });
        writeUserPreset ("Beta", { { "StereoWidth", 0.1f }, { "Pan", 0.8f } });
        return p.getUserPresetNames();
    }

    static void expectPosition (WydenzaAudioProcessor& p, bool factory, int index, const juce::String& name)
    {
        EXPECT_EQ (p.isSteppingFactoryPresets(), factory);
        EXPECT_EQ (p.getCurrentPresetIndex(), index);
        EXPECT_EQ (p.getPresetDisplayName(), name);
    }
};

TEST_F (PresetLibraryTest, ANewInstanceStartsOnInitAndNextSelectsTheSecondFactoryPreset)
{
    auto p = makeProcessor();
    expectPosition (*p, true, 0, "Init");
    EXPECT_FALSE (p->getPresetState().hasProperty ("PresetID"));
    EXPECT_FALSE (p->getPresetState().hasProperty ("Modified"));
    EXPECT_EQ (p->getUserPresetsFolder(), presetsFolder());
    EXPECT_TRUE (presetsFolder().isDirectory());

    p->nextPreset();
    expectPosition (*p, true, 1, "TRACK Stereo 125%");
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.625f);
}

TEST_F (PresetLibraryTest, NavigationWithoutUserPresetsRunsRoundTheFactoryList)
{
    auto p = makeProcessor();

    p->selectFactoryPreset (3);
    p->nextPreset();
    expectPosition (*p, true, 4, factoryNames[4]);

    p->selectFactoryPreset (13);
    p->nextPreset();
    expectPosition (*p, true, 0, "Init");

    p->selectFactoryPreset (5);
    p->previousPreset();
    expectPosition (*p, true, 4, factoryNames[4]);

    p->selectFactoryPreset (0);
    p->previousPreset();
    expectPosition (*p, true, 13, "MASTER SafeBass 250 Hz");
}

TEST_F (PresetLibraryTest, NavigationWithUserPresetsRunsThroughThemBetweenTheEnds)
{
    auto p = makeProcessor();
    const auto names = makeTwoUserPresets (*p);
    ASSERT_EQ (names.size(), 2);
    const auto& a = names[0];
    const auto& b = names[1];

    p->selectFactoryPreset (13);
    p->nextPreset();
    expectPosition (*p, false, 0, a);

    p->nextPreset();
    expectPosition (*p, false, 1, b);

    p->nextPreset();
    expectPosition (*p, true, 0, "Init");

    p->previousPreset();
    expectPosition (*p, false, 1, b);

    p->previousPreset();
    expectPosition (*p, false, 0, a);

    p->previousPreset();
    expectPosition (*p, true, 13, "MASTER SafeBass 250 Hz");
}

TEST_F (PresetLibraryTest, PreviousFromAUserPresetBeyondAShrunkListSelectsInit)
{
    auto p = makeProcessor();
    writeUserPreset ("One", { { "Pan", 0.1f } });
    writeUserPreset ("Two", { { "Pan", 0.2f } });
    writeUserPreset ("Three", { { "Pan", 0.3f } });
    const auto names = p->getUserPresetNames();
    ASSERT_EQ (names.size(), 3);

    p->loadUserPreset (2);
    expectPosition (*p, false, 2, names[2]);
    presetsFolder().getChildFile (names[0] + ".q7p").deleteFile();
    presetsFolder().getChildFile (names[1] + ".q7p").deleteFile();

    p->previousPreset();
    expectPosition (*p, true, 0, "Init");
}

TEST_F (PresetLibraryTest, TheModifiedMarkFollowsEditorChangesButNotHostAutomation)
{
    auto p = makeProcessor();
    p->setParameter (2, 0.9f);
    EXPECT_EQ (p->getProgramName (0), "Init") << "host automation does not mark the preset";

    p->setParameterFromEditor ("Mono", 1.0f, true);
    EXPECT_EQ (p->getProgramName (0), "Init*");
    EXPECT_EQ (p->getProgramName (7), "Init*");
    EXPECT_EQ ((double) storedValue (p->getPresetState(), "Mono"), 1.0);
    EXPECT_EQ ((double) storedValue (p->getPresetState(), "Pan"), 0.5) << "the host's change is not in the tree";

    p->selectFactoryPreset (2);
    EXPECT_EQ (p->getProgramName (0), "TRACK Stereo 150%");
    p->setParameterFromEditor ("Pan", 0.4f, true);
    EXPECT_EQ (p->getProgramName (0), "TRACK Stereo 150%*");

    writeUserPreset ("Saved", { { "Pan", 0.6f } });
    p->loadUserPreset (p->getUserPresetNames().indexOf ("Saved"));
    EXPECT_EQ (p->getProgramName (0), "Saved");

    p->setParameterFromEditor ("Pan", 0.4f, true);
    ASSERT_TRUE (p->saveUserPreset ("Saved", false));
    EXPECT_EQ (p->getProgramName (0), "Saved");

    // A "*" inside a name counts only while modified: then all are dropped and one is appended.
    p->changeProgramName (0, "a*b");
    EXPECT_EQ (p->getProgramName (0), "a*b");
    p->setParameterFromEditor ("Pan", 0.45f, true);
    EXPECT_EQ (p->getProgramName (0), "ab*");

    p->setCurrentProgram (3);
    EXPECT_EQ (p->getCurrentProgram(), 0);
    EXPECT_EQ (p->getProgramName (0), "ab*");
}

TEST_F (PresetLibraryTest, RenamingTrimsFiltersAndRejectsEmptyNames)
{
    auto p = makeProcessor();
    p->selectFactoryPreset (4);
    p->setParameterFromEditor ("Pan", 0.3f, true);

    EXPECT_EQ (p->renamePresetFromEditor ("   My Preset!!  "), "My Preset!!");
    EXPECT_EQ (p->getPresetDisplayName(), "My Preset!!*") << "the mark is untouched";
    EXPECT_EQ (p->getCurrentPresetIndex(), 4);
    EXPECT_TRUE (p->isSteppingFactoryPresets());

    EXPECT_EQ (p->renamePresetFromEditor ("../a/b.c"), "abc");
    EXPECT_TRUE (p->renamePresetFromEditor ("  ./*?<>  ").isEmpty());
    EXPECT_EQ (p->getPresetDisplayName(), "abc*") << "a rejected name changes nothing";
    EXPECT_EQ (juce::String (WydenzaAudioProcessor::presetNameRejectedMessage), "PRESET NAME: new preset name not accepted !!!");

    p->undo();
    EXPECT_EQ (p->getPresetDisplayName(), "My Preset!!*") << "each accepted rename is one step";
}

TEST_F (PresetLibraryTest, SavingOverAnExistingNameKeepsOneEntryAndPointsAtIt)
{
    auto p = makeProcessor();
    writeUserPreset ("Other", { { "Pan", 0.1f } });

    p->setParameterFromEditor ("StereoWidth", 0.7f, true);
    ASSERT_TRUE (p->saveUserPreset ("Wide", true));
    p->setParameterFromEditor ("StereoWidth", 0.95f, true);
    ASSERT_TRUE (p->saveUserPreset ("Wide", true));

    const auto names = p->getUserPresetNames();
    EXPECT_EQ (names.size(), 2);
    EXPECT_EQ (std::count (names.begin(), names.end(), juce::String ("Wide")), 1);
    EXPECT_EQ (p->getCurrentPresetIndex(), names.indexOf ("Wide"));
    EXPECT_FALSE (p->isSteppingFactoryPresets());
    EXPECT_FALSE (p->isPresetModified());
    EXPECT_EQ (storedValue (PresetFile::read (presetsFolder().getChildFile ("Wide.q7p")), "StereoWidth"), (double) 0.95f);
}

TEST_F (PresetLibraryTest, ASavedPresetCarriesItsMetadataInOrder)
{
    auto p = makeProcessor();
    p->setParameterFromEditor ("StereoWidth", 0.8f, true);
    ASSERT_TRUE (p->saveUserPreset ("Wide", true));

    const auto tree = PresetFile::read (presetsFolder().getChildFile ("Wide.q7p"));
    ASSERT_TRUE (tree.isValid());
    EXPECT_EQ (tree.getType().toString(), "ZelvoraPreset");

    const juce::StringArray expected { "Q7PluginName", "PresetName", "Modified", "PluginVersion", "PresetType", "LastSaved", "Host", "InOutChannelConfig", "OS", "Language", "Region", "User", "Device" };
    ASSERT_EQ (tree.getNumProperties(), expected.size());

    for (auto i = 0; i < expected.size(); ++i)
        EXPECT_EQ (tree.getPropertyName (i).toString(), expected[i]);

    EXPECT_EQ (tree["Q7PluginName"].toString(), "Wydenza");
    EXPECT_EQ (tree["PresetName"].toString(), "Wide");
    EXPECT_EQ (tree["Modified"].toString(), "Yes");
    EXPECT_EQ (tree["PluginVersion"].toString(), "1.1.0");
    EXPECT_EQ (tree["PresetType"].toString(), "User");
    EXPECT_EQ (tree["InOutChannelConfig"].toString(), "2 / 2");
    EXPECT_TRUE (tree["OS"].toString().endsWith (" / 64bit") || tree["OS"].toString().endsWith (" / 32bit"));
    EXPECT_TRUE (tree["LastSaved"].toString().endsWith ("am") || tree["LastSaved"].toString().endsWith ("pm"));
    EXPECT_FALSE (tree.hasProperty ("PresetID"));

    ASSERT_EQ (tree.getNumChildren(), 17);
    EXPECT_EQ (tree.getChild (0)["ParameterName"].toString(), "Bypass");
    EXPECT_EQ (tree.getChild (16)["ParameterName"].toString(), "SafeBass");
    EXPECT_EQ (storedValue (tree, "StereoWidth"), (double) 0.8f);
}

TEST_F (PresetLibraryTest, SavingFiltersTheNameAndNeverLeavesTheFolder)
{
    auto p = makeProcessor();
    const auto before = p->getPresetState().createCopy();

    EXPECT_FALSE (p->saveUserPreset ("../../", true));
    EXPECT_FALSE (p->saveUserPreset ("   ", true));
    EXPECT_TRUE (p->getPresetState().isEquivalentTo (before)) << "a refused save changes nothing";
    EXPECT_TRUE (p->getUserPresetNames().isEmpty());

    ASSERT_TRUE (p->saveUserPreset ("../../escape", true));
    ASSERT_TRUE (p->saveUserPreset ("a/b", true));
    EXPECT_TRUE (presetsFolder().getChildFile ("escape.q7p").existsAsFile());
    EXPECT_TRUE (presetsFolder().getChildFile ("ab.q7p").existsAsFile());
    EXPECT_EQ (home.findChildFiles (juce::File::findFiles, true, "escape*").size(), 1);
    EXPECT_EQ (p->getPresetDisplayName(), "ab");
}

TEST_F (PresetLibraryTest, AFailedSaveLeavesThePresetAndTheLists)
{
    auto p = makeProcessor();
    writeUserPreset ("Existing", { { "Pan", 0.1f } });
    p->rescanUserPresets();
    p->setParameterFromEditor ("Pan", 0.7f, true);
    const auto before = p->getPresetState().createCopy();

    if (! makeUnwritable (presetsFolder()))
        GTEST_SKIP() << "this system cannot make a folder refuse new files";

    EXPECT_FALSE (p->saveUserPreset ("New", true));
    EXPECT_TRUE (p->getPresetState().isEquivalentTo (before));
    EXPECT_EQ (p->getUserPresetNames(), juce::StringArray ("Existing"));
    EXPECT_TRUE (p->isSteppingFactoryPresets());
    EXPECT_EQ (p->getPresetDisplayName(), "Init*");
}

TEST_F (PresetLibraryTest, AFolderThatCannotBeCreatedListsNothingAndKeepsItsSetting)
{
    const auto blocker = home.getChildFile ("a-file");
    blocker.replaceWithText ("not a folder");
    const auto stored = blocker.getChildFile ("Presets").getFullPathName() + "/";
    writeSettings ("Presets Folder", stored);

    {
        auto p = makeProcessor();
        EXPECT_TRUE (p->getUserPresetNames().isEmpty());
        EXPECT_FALSE (p->saveUserPreset ("Anything", true));
        p->nextPreset();
        expectPosition (*p, true, 1, factoryNames[1]);
    }

    juce::PropertiesFile file (settingsFile(), SettingsFile::makeOptions());
    EXPECT_EQ (file.getValue ("Presets Folder"), stored);
}

TEST_F (PresetLibraryTest, LoadingAFileThatLacksAParameterKeepsItsValueAndAnEmptyChild)
{
    auto p = makeProcessor();
    writeUserPreset ("NoPan", { { "Bypass", 0.0f }, { "StereoWidth", 0.9f }, { "SafeBass", 1.0f } });
    p->setParameterFromEditor ("Pan", 0.8f, true);

    ASSERT_TRUE (p->loadUserPresetByName ("NoPan"));
    EXPECT_EQ (valueOf (*p, "Pan"), 0.8f);
    EXPECT_EQ (valueOf (*p, "StereoWidth"), 0.9f);
    EXPECT_EQ (valueOf (*p, "SafeBass"), 1.0f);

    const auto& state = p->getPresetState();
    EXPECT_EQ (state.getNumChildren(), 17);
    EXPECT_FALSE (PresetTree::findParameter (state, "Pan").isValid());
    auto emptyChildren = 0;

    for (const auto& child : state)
        emptyChildren += child.getNumProperties() == 0 ? 1 : 0;

    EXPECT_EQ (emptyChildren, 14);

    ASSERT_TRUE (p->saveUserPreset ("Again", false));
    const auto saved = PresetFile::read (presetsFolder().getChildFile ("Again.q7p"));
    EXPECT_EQ (saved.getNumChildren(), 17) << "the empty children are saved as well";
}

TEST_F (PresetLibraryTest, AFileThatNoLongerReadsAsAPresetLeavesTheCurrentPreset)
{
    auto p = makeProcessor();
    const auto file = writeUserPreset ("Fragile", { { "StereoWidth", 0.9f } });
    p->selectFactoryPreset (6);
    p->setParameterFromEditor ("Pan", 0.3f, true);
    ASSERT_EQ (p->getUserPresetNames(), juce::StringArray ("Fragile"));

    const auto before = p->getPresetState().createCopy();
    const auto beforeState = stateOf (*p);
    file.replaceWithText ("ZELVORA Preset File:::::c garbage that is no zlib stream");

    EXPECT_FALSE (p->loadUserPresetByName ("Fragile"));
    p->loadUserPreset (0);
    file.deleteFile();
    EXPECT_FALSE (p->loadUserPresetByName ("Fragile"));
    EXPECT_FALSE (p->loadUserPresetByName ("../Wydenza Presets/Fragile"));

    EXPECT_TRUE (p->getPresetState().isEquivalentTo (before));
    EXPECT_EQ (stateOf (*p), beforeState);
    EXPECT_EQ (p->getCurrentPresetIndex(), 6);
}

TEST_F (PresetLibraryTest, ScanningListsOnlyReadablePresetsDirectlyInTheFolder)
{
    auto p = makeProcessor();
    writeUserPreset ("Good", { { "Pan", 0.1f } });
    writeUserPreset ("Plain", { { "Pan", 0.1f } }, false);
    presetsFolder().getChildFile ("NotAPreset.q7p").replaceWithText ("<ZelvoraPreset/>");
    presetsFolder().getChildFile ("Other.txt").replaceWithText ("ZELVORA Preset File:::::");
    presetsFolder().getChildFile (".q7p").replaceWithText ("ZELVORA Preset File:::::");
    presetsFolder().getChildFile ("Sub").createDirectory();
    PresetFile::write (PresetTree::create ("Deep"), presetsFolder().getChildFile ("Sub/Deep.q7p"), true);

    auto names = p->getUserPresetNames();
    names.sort (false);
    EXPECT_EQ (names, juce::StringArray ("Good", "Plain"));

    // A file replaced in place by one of the same size that no longer reads is dropped at the next scan.
    const auto good = presetsFolder().getChildFile ("Good.q7p");
    const auto size = (size_t) good.getSize();
    juce::MemoryBlock junk (size, true);
    good.replaceWithData (junk.getData(), junk.getSize());
    EXPECT_EQ (p->getUserPresetNames(), juce::StringArray ("Plain"));
}

TEST_F (PresetLibraryTest, TheFactoryTableHoldsItsValuesAsWidenedSinglePrecisionConstants)
{
    auto p = makeProcessor();
    const auto names = p->getFactoryPresetNames();
    ASSERT_EQ (names.size(), 14);

    for (auto i = 0; i < 14; ++i)
        EXPECT_EQ (names[i], factoryNames[i]);

    const float widths[] = { 0.5f, 0.625f, 0.75f, 1.0f, 0.625f, 0.75f, 1.0f, 0.525f, 0.55f, 0.575f, 0.5f, 0.5f, 0.5f, 0.5f };
    const float safeBass[] = { 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 };
    const float frequencies[] = { 0.286f, 0.286f, 0.286f, 0.286f, 0.4898f, 0.4898f, 0.4898f, 0.286f, 0.286f, 0.286f, 0.142f, 0.183f, 0.286f, 0.4898f };

    for (auto i = 0; i < 14; ++i)
    {
        // Move every other parameter away from its default first: selection must put it back.
        for (auto k = 0; k < 17; ++k)
            p->setParameterFromEditor (p->getParameterName (k), 0.9f, true);

        p->selectFactoryPreset (i);
        EXPECT_EQ (p->getPresetDisplayName(), factoryNames[i]);

        for (auto k = 0; k < 17; ++k)
        {
            const auto name = p->getParameterName (k);
            const auto expected = name == "StereoWidth"    ? widths[i]
                                  : name == "SafeBass"     ? safeBass[i]
                                  : name == "SafeBassFreq" ? frequencies[i]
                                                           : p->getParameterDefaultValue (k);
            EXPECT_EQ (p->getParameter (k), expected) << factoryNames[i] << " " << name;
            EXPECT_EQ (storedValue (p->getPresetState(), name.toRawUTF8()), (double) expected);
        }

        EXPECT_FALSE (p->getPresetState().hasProperty ("PresetID")) << "identity is not copied by selection";
    }

    p->selectFactoryPreset (7);
    EXPECT_EQ (storedValue (p->getPresetState(), "StereoWidth"), 0.5249999761581421);
    EXPECT_EQ (storedValue (p->getPresetState(), "SafeBassFreq"), 0.28600001335144043);

    p->selectFactoryPreset (14);
    p->selectFactoryPreset (-1);
    EXPECT_EQ (p->getPresetDisplayName(), factoryNames[7]);
    EXPECT_EQ (p->getCurrentPresetIndex(), 7);

    // Names with "%" and "+" can be saved as user presets under their own name.
    ASSERT_TRUE (p->saveUserPreset (factoryNames[7], true));
    EXPECT_TRUE (presetsFolder().getChildFile (juce::String (factoryNames[7]) + ".q7p").existsAsFile());
}

TEST_F (PresetLibraryTest, ARenameFromAHostThreadArrivesOnTheMessageThread)
{
    auto p = makeProcessor();
    std::thread host ([&p]
                      { p->changeProgramName (0, "From Host"); });
    host.join();
    EXPECT_EQ (p->getPresetDisplayName(), "Init");

    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (p->getPresetDisplayName(), "From Host");

    juce::String seenByHost;
    std::thread reader ([&p, &seenByHost]
                        { seenByHost = p->getProgramName (0); });
    reader.join();
    EXPECT_EQ (seenByHost, "From Host");
}

TEST_F (PresetLibraryTest, OnlyFilesThatLoadByTheirNameAreListed)
{
    auto p = makeProcessor();
    const auto good = writeUserPreset ("Good", { { "StereoWidth", 0.7f } });

    // Each a valid preset file under a name that loading could never find again.
    for (const auto* name : { "Wide.Q7P", "Odd.Q7p", ".q7p", ".hidden.q7p" })
        ASSERT_TRUE (good.copyFileTo (presetsFolder().getChildFile (name))) << name;

    // A name whose bytes are no UTF-8 text cannot be spelled back to the same file.
    const auto notText = presetsFolder().getFullPathName().toStdString() + "/Bad\xff.q7p";
    ASSERT_EQ (::link (good.getFullPathName().toRawUTF8(), notText.c_str()), 0);

    const auto names = p->getUserPresetNames();
    EXPECT_EQ (names, juce::StringArray ("Good"));

    for (auto i = 0; i < names.size(); ++i)
        EXPECT_TRUE (p->loadUserPresetByName (names[i])) << names[i];
}
