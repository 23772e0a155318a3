#include "SettingsMenu.h"

#include "FolderReveal.h"
#include "MainEditorComponent.h"
#include "PopupCallbackReceiver.h"
#include "WydenzaAudioProcessorEditor.h"
#include "processor/WydenzaAudioProcessor.h"
#include "widgets/Palette.h"

SettingsMenu::SettingsMenu (WydenzaAudioProcessor& processorToUse, MainEditorComponent& panelToUse)
    : processor (processorToUse),
      panel (panelToUse)
{
}

SettingsMenu::~SettingsMenu()
{
    // A menu still open would deliver its result to a panel that is gone.
    if (open)
        juce::PopupMenu::dismissAllActiveMenus();
}

juce::PopupMenu SettingsMenu::build() const
{
    juce::PopupMenu menu;
    menu.addItem (resizeToDefaultItem, "Resize To Default", processor.lastEditorHeight != processor.defaultEditorHeight);
    menu.addSeparator();

    const auto modified = processor.isPresetModified();
    const auto inFactory = processor.isSteppingFactoryPresets();
    const auto current = processor.getCurrentPresetIndex();

    juce::PopupMenu factoryMenu;
    const auto factoryNames = processor.getFactoryPresetNames();

    for (auto i = 0; i < factoryNames.size(); ++i)
        factoryMenu.addItem (firstFactoryPresetItem + i, factoryNames[i], true, ! modified && inFactory && i == current);

    menu.addSubMenu ("Factory Presets", factoryMenu);

    juce::PopupMenu userMenu;
    const auto userNames = processor.getUserPresetNames();
    const auto displayName = processor.getPresetDisplayName();

    for (auto i = 0; i < userNames.size(); ++i)
        userMenu.addItem (firstUserPresetItem + i, userNames[i], true, ! modified && ! inFactory && i == current && userNames[i] == displayName);

    menu.addSubMenu ("User Presets", userMenu);
    menu.addSeparator();
    menu.addItem (saveAsItem, "Save Current Preset As ...");
    menu.addItem (revealFolderItem, "Reveal User Presets Folder");
    menu.addSeparator();

    // The current scheme is ticked and greyed out.
    const auto dark = processor.colourSchemeBrightness == classicDarkBrightness;
    juce::PopupMenu schemeMenu;
    schemeMenu.addItem (classicDarkItem, "Classic Dark", ! dark, dark);
    schemeMenu.addItem (brightEyesItem, "Bright Eyes", dark, ! dark);
    menu.addSubMenu ("Colour Scheme", schemeMenu);
    menu.addItem (signalScopeItem, "Show Signal Scope", true, processor.isSignalScopeShown());

    menu.addItem (showInfoItem, "Show Info / Settings Screen");
    menu.addSeparator();
    menu.addItem (titleItem, panel.getTitleText(), false);
    return menu;
}

void SettingsMenu::show (juce::LookAndFeel& lookAndFeel)
{
    lookAndFeel.setColour (juce::PopupMenu::highlightedBackgroundColourId, paletteBlue);

    auto menu = build();
    menu.setLookAndFeel (&lookAndFeel);

    checkTime = juce::Time::getCurrentTime();
    open = true;
    panel.setStatusText ("choose from popup menu ...", false);
    menu.showMenuAsync (juce::PopupMenu::Options(), new PopupCallbackReceiver (&panel));
}

void SettingsMenu::perform (int result)
{
    open = false;

    if (result == resizeToDefaultItem)
        panel.resizeToDefault();
    else if (result == saveAsItem)
        panel.openSaveDialog();
    else if (result == revealFolderItem)
        revealFolderToUser (processor.getUserPresetsFolder());
    else if (result == classicDarkItem)
        panel.setColourScheme (classicDarkBrightness);
    else if (result == brightEyesItem)
        panel.setColourScheme (brightEyesBrightness);
    else if (result == showInfoItem)
        panel.showInfoScreen();
    else if (result == signalScopeItem)
        toggleSignalScope();
    else if (result >= firstUserPresetItem)
        processor.loadUserPreset (result - firstUserPresetItem);
    else if (result >= firstFactoryPresetItem)
        processor.selectFactoryPreset (result - firstFactoryPresetItem);
}

void SettingsMenu::toggleSignalScope()
{
    const auto show = ! processor.isSignalScopeShown();

    if (auto* editor = panel.findParentComponentOfClass<WydenzaAudioProcessorEditor>())
        editor->setSignalScopeShown (show);
    else
        processor.setSignalScopeShown (show);
}

void SettingsMenu::checkWatchdog (juce::Time now)
{
    if (! open || now <= checkTime + juce::RelativeTime::seconds (1.0))
        return;

    if (isMouseOverPopupMenu())
    {
        checkTime = now;
        return;
    }

    open = false;
    juce::PopupMenu::dismissAllActiveMenus();
}

bool SettingsMenu::isMouseOverPopupMenu()
{
    auto* c = juce::Desktop::getInstance().findComponentAt (juce::Desktop::getMousePosition());

    while (c != nullptr && c->getName().isEmpty())
        c = c->getParentComponent();

    // "menu" is the name the framework gives its popup menu windows.
    return c != nullptr && c->getName() == "menu";
}
