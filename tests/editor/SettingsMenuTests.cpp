#include "EditorFixture.h"

#include "editor/FolderReveal.h"
#include "editor/ManagePresetsComponent.h"
#include "widgets/InfoComponent.h"

#include <map>

using namespace editortests;

namespace
{
struct Item
{
    juce::String text;
    bool enabled, ticked;
};

/** Every item of the menu and its submenus, by id. */
std::map<int, Item> itemsOf (const juce::PopupMenu& menu)
{
    std::map<int, Item> items;

    for (juce::PopupMenu::MenuItemIterator it (menu, true); it.next();)
        if (const auto& item = it.getItem(); item.itemID != 0)
            items[item.itemID] = { item.text, item.isEnabled, item.isTicked };

    return items;
}

juce::Array<int> tickedPresetIds (const std::map<int, Item>& items)
{
    juce::Array<int> ticked;

    for (const auto& [id, item] : items)
        if (id >= MainEditorComponent::firstFactoryPresetItem && item.ticked)
            ticked.add (id);

    return ticked;
}

juce::Component* findMenuWindow()
{
    for (auto i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        if (auto* c = juce::Desktop::getInstance().getComponent (i); c->getName() == "menu" && c->isShowing())
            return c;

    return nullptr;
}
} // namespace

TEST_F (EditorFixture, TheSettingsMenuIsBuiltFromTheStateAtEachOpening)
{
    auto items = itemsOf (panel().buildSettingsMenu());

    // The fixed items, and the title that can never be chosen.
    const std::pair<int, const char*> fixed[] = { { 1, "Resize To Default" }, { 5, "Save Current Preset As ..." }, { 6, "Reveal User Presets Folder" }, { 3, "Classic Dark" }, { 4, "Bright Eyes" }, { 2, "Show Info / Settings Screen" }, { -1, "Wydenza v1.1.0" } };
    for (const auto& [id, text] : fixed)
        EXPECT_EQ (items[id].text, text) << id;

    EXPECT_FALSE (items[-1].enabled);
    EXPECT_EQ (items[100 + 13].text, processor.getFactoryPresetNames()[13]);
    EXPECT_FALSE (items[1].enabled); // at the default height
    EXPECT_EQ (tickedPresetIds (items), juce::Array<int> (100));
    EXPECT_TRUE (items[3].enabled && ! items[3].ticked && ! items[4].enabled && items[4].ticked);

    // A corner drag, an edited parameter, the other scheme and a saved user preset all show at the next opening.
    editor->setSize (900, 600);
    click (find ("MONO"));
    panel().settingsMenuFinished (MainEditorComponent::classicDarkItem);
    items = itemsOf (panel().buildSettingsMenu());
    EXPECT_TRUE (items[1].enabled);
    EXPECT_TRUE (tickedPresetIds (items).isEmpty());
    EXPECT_TRUE (! items[3].enabled && items[3].ticked && items[4].enabled && ! items[4].ticked);
    EXPECT_EQ (panel().getSchemeBrightness(), 0.0f);
    EXPECT_EQ (processor.colourSchemeBrightness, 0.0f);

    ASSERT_TRUE (processor.saveUserPreset ("Mix One", true));
    items = itemsOf (panel().buildSettingsMenu());
    EXPECT_EQ (items[200].text, "Mix One");
    EXPECT_EQ (tickedPresetIds (items), juce::Array<int> (200));
}

TEST_F (EditorFixture, MenuResultsSelectPresetsResizeAndOpenTheScreens)
{
    ASSERT_TRUE (processor.saveUserPreset ("Mix One", true));
    const auto names = processor.getFactoryPresetNames();

    panel().settingsMenuFinished (100 + 3);
    tick();
    EXPECT_EQ (find<juce::Label> ("Preset Name Label").getText(), names[3]);

    panel().settingsMenuFinished (200);
    tick();
    EXPECT_EQ (find<juce::Label> ("Preset Name Label").getText(), "Mix One");

    editor->setSize (900, 600);
    panel().settingsMenuFinished (MainEditorComponent::resizeToDefaultItem);
    EXPECT_EQ (editor->getHeight(), processor.defaultEditorHeight);

    // A dismissed menu (result 0) changes nothing.
    const auto state = processor.getPresetState().toXmlString();
    panel().settingsMenuFinished (0);
    EXPECT_EQ (processor.getPresetState().toXmlString(), state);
    EXPECT_FALSE (panel().isSaveDialogOpen() || panel().getInfoScreen().isVisible());

    panel().settingsMenuFinished (MainEditorComponent::showInfoItem);
    EXPECT_TRUE (panel().getInfoScreen().isVisible());
    click (find ("CLOSE"));
    EXPECT_FALSE (panel().getInfoScreen().isVisible());
    click (find ("Title Label")); // a click on the title opens it too
    EXPECT_TRUE (panel().getInfoScreen().isVisible());
}

TEST_F (EditorFixture, TheOpenMenuClosesOnEscapeAndWhenTheMouseHasLeftIt)
{
    for (auto viaWatchdog : { false, true })
    {
        click (find ("SettingsPopupButton"));
        pumpMessages (100);
        auto* menuWindow = findMenuWindow();
        ASSERT_NE (menuWindow, nullptr);
        EXPECT_TRUE (panel().isMenuOpen());
        EXPECT_EQ (panel().getStatusLine().getText(), "choose from popup menu ...");

        if (viaWatchdog)
        {
            juce::Desktop::setMousePosition (menuWindow->getScreenBounds().getCentre());
            panel().checkMenuWatchdog (juce::Time::getCurrentTime() + juce::RelativeTime::seconds (2.0));
            EXPECT_NE (findMenuWindow(), nullptr); // the mouse is over it: it stays

            juce::Desktop::setMousePosition (editor->getScreenBounds().getBottomLeft().translated (5, -60));
            pumpMessages (50);
            panel().checkMenuWatchdog (juce::Time::getCurrentTime() + juce::RelativeTime::seconds (4.0));
        }
        else
        {
            menuWindow->getPeer()->handleKeyPress (juce::KeyPress (juce::KeyPress::escapeKey));
        }

        pumpMessages (100);
        EXPECT_EQ (findMenuWindow(), nullptr) << viaWatchdog;
        EXPECT_FALSE (panel().isMenuOpen()) << viaWatchdog;
    }
}

TEST_F (EditorFixture, TheSaveDialogSavesReportsAndSurvivesAResize)
{
    const auto folder = processor.getUserPresetsFolder();
    click (find ("MONO")); // a modified preset: "Init*"

    const struct
    {
        const char* typed; // null: cancel
        const char* message;
        const char* fileName;
    } cases[] = {
        { "Mix A", MainEditorComponent::savedMessage, "Mix A.q7p" },
        { "   ", MainEditorComponent::saveFailedMessage, nullptr },
        { nullptr, MainEditorComponent::saveCancelledMessage, nullptr },
    };

    for (const auto& c : cases)
    {
        const auto filesBefore = folder.findChildFiles (juce::File::findFiles, false).size();
        const auto nameBefore = processor.getPresetDisplayName();

        click (find ("SAVE"));
        EXPECT_TRUE (panel().isSaveDialogOpen());
        EXPECT_TRUE (panel().getSaveDialog().isVisible());
        EXPECT_FALSE (find ("SWAP L-R").isVisible());
        EXPECT_EQ (panel().getSaveDialog().getTextEditor().getText(), nameBefore.removeCharacters ("*"));

        // A corner drag hides the dialog; it comes back when the drag ends.
        panel().resizeStarted();
        EXPECT_FALSE (panel().getSaveDialog().isVisible());
        panel().resizeFinished();
        EXPECT_TRUE (panel().getSaveDialog().isVisible());

        if (c.typed != nullptr)
        {
            panel().getSaveDialog().getTextEditor().grabKeyboardFocus();
            type (c.typed);
        }
        else
        {
            click (find ("CANCEL"));
        }

        EXPECT_FALSE (panel().isSaveDialogOpen()) << c.message;
        EXPECT_TRUE (find ("SWAP L-R").isVisible());
        EXPECT_EQ (panel().getStatusLine().getText(), c.message);

        const auto filesAfter = folder.findChildFiles (juce::File::findFiles, false).size();
        EXPECT_EQ (filesAfter, filesBefore + (c.fileName != nullptr ? 1 : 0)) << c.message;

        if (c.fileName != nullptr)
        {
            EXPECT_TRUE (folder.getChildFile (c.fileName).existsAsFile());
            EXPECT_EQ (find<juce::Label> ("Preset Name Label").getText(), "Mix A");
        }
        else
        {
            EXPECT_EQ (processor.getPresetDisplayName(), nameBefore) << c.message; // the preset stays as it was
        }

        panel().getStatusLine().expire (juce::Time::getCurrentTime() + juce::RelativeTime::seconds (10.0), false);
    }
}

TEST (FolderRevealTest, StartsTheFileManagerWithoutWaitingAndFailsQuietlyWithoutOne)
{
    const auto work = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("wydenza-reveal", "", false);
    const auto bin = work.getChildFile ("bin");
    const auto record = work.getChildFile ("opened.txt");
    ASSERT_TRUE (bin.createDirectory().wasOk());
    const auto fakeOpener = bin.getChildFile ("xdg-open");
    ASSERT_TRUE (fakeOpener.replaceWithText ("#!/bin/sh\nsleep 1\nprintf '%s' \"$1\" > '" + record.getFullPathName() + "'\n", false, false, "\n"));
    ASSERT_TRUE (fakeOpener.setExecutePermission (true));

    const juce::String oldPath (std::getenv ("PATH"));

    ::setenv ("PATH", bin.getFullPathName().toRawUTF8(), 1);
    const auto started = juce::Time::getMillisecondCounterHiRes();
    EXPECT_TRUE (revealFolderToUser (work));
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 500.0); // the opener takes a second; nobody waits

    for (auto i = 0; i < 100 && ! record.existsAsFile(); ++i)
        juce::Thread::sleep (50);

    EXPECT_EQ (record.loadFileAsString(), work.getFullPathName());

    ::setenv ("PATH", work.getChildFile ("nothing-here").getFullPathName().toRawUTF8(), 1);
    EXPECT_FALSE (revealFolderToUser (work));

    ::setenv ("PATH", oldPath.toRawUTF8(), 1);
    work.deleteRecursively();
}
