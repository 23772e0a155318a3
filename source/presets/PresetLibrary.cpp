#include "PresetLibrary.h"

#include "FactoryPresets.h"
#include "PresetFile.h"
#include "PresetNameCharacters.h"
#include "PresetTree.h"
#include "processor/SettingsFile.h"

PresetLibrary::PresetLibrary (Owner& ownerToUse, juce::UndoManager& undoManagerToUse, juce::PropertiesFile& settings)
    : owner (ownerToUse),
      undoManager (undoManagerToUse)
{
    presetState = createPresetTree();
    presetState.addListener (this);
    updateCachedDisplayName();

    buildFactoryPresets();
    resolveUserPresetsFolder (settings);
}

PresetLibrary::~PresetLibrary()
{
    presetState.removeListener (this);
    presetState = {};
    factoryPresets.clear();
}

//==============================================================================
juce::ValueTree PresetLibrary::createPresetTree()
{
    return createPresetTreeNamed (getPresetDisplayName());
}

juce::ValueTree PresetLibrary::createPresetTreeNamed (const juce::String& name)
{
    auto tree = PresetTree::create (name);

    for (auto i = 0; i < owner.getNumPresetParameters(); ++i)
        setParameterValueInTree (tree, i, owner.getPresetParameterValue (i));

    return tree;
}

void PresetLibrary::setParameterValueInTree (juce::ValueTree& tree, int parameterIndex, float value)
{
    if (juce::isPositiveAndBelow (parameterIndex, owner.getNumPresetParameters()))
        PresetTree::setParameterValue (tree, owner.getPresetParameterName (parameterIndex), value, &undoManager);
}

void PresetLibrary::copyPresetInto (const juce::ValueTree& loadedTree)
{
    PresetTree::copyInto (presetState, loadedTree, &undoManager);
}

void PresetLibrary::applyPresetTree (const juce::ValueTree& tree)
{
    if (! tree.isValid())
        return;

    const auto name = tree.getProperty (PresetTree::presetNameProperty).toString();

    if (name.isNotEmpty())
        setPresetName (name);

    for (auto i = 0; i < tree.getNumChildren(); ++i)
    {
        const auto child = tree.getChild (i);

        if (! child.hasProperty (PresetTree::parameterNameProperty))
            continue;

        const auto parameterIndex = owner.indexOfPresetParameter (child.getProperty (PresetTree::parameterNameProperty).toString());
        const auto value = (double) child.getProperty (PresetTree::valueProperty);

        // A value that is not a finite single-precision number is as unusable as an unknown name.
        if (parameterIndex < 0 || ! PresetTree::fitsAFloat (value))
            continue;

        owner.setParameterFromPreset (parameterIndex, (float) value);
        setParameterValueInTree (presetState, parameterIndex, (float) value);
    }
}

void PresetLibrary::recordParameterChange (int parameterIndex, float value)
{
    setParameterValueInTree (presetState, parameterIndex, value);
    setPresetModified (true);
}

juce::String PresetLibrary::getPresetDisplayName() const
{
    return PresetTree::getDisplayName (presetState);
}

juce::String PresetLibrary::getDisplayNameFromAnyThread() const
{
    const juce::SpinLock::ScopedLockType lock (displayNameLock);
    return cachedDisplayName;
}

bool PresetLibrary::isPresetModified() const
{
    return PresetTree::isModified (presetState);
}

void PresetLibrary::setPresetModified (bool shouldBeModified)
{
    if (! presetState.isValid())
        return;

    const auto wasModified = isPresetModified();
    presetState.setProperty (PresetTree::modifiedProperty, shouldBeModified ? "Yes" : "No", &undoManager);

    if (shouldBeModified && ! wasModified)
        owner.presetChanged();
}

void PresetLibrary::setPresetName (const juce::String& newName)
{
    if (! presetState.isValid())
        return;

    presetState.setProperty (PresetTree::presetNameProperty, newName, &undoManager);
    owner.presetNameChanged();
}

//==============================================================================
void PresetLibrary::buildFactoryPresets()
{
    for (auto i = 0; i < FactoryPresets::numPresets; ++i)
    {
        auto tree = createPresetTree();
        FactoryPresets::applyRow (tree, i);
        factoryPresets.add (tree);
        factoryPresetNames.add (FactoryPresets::getTable()[(size_t) i].name);
    }
}

void PresetLibrary::resolveUserPresetsFolder (juce::PropertiesFile& settings)
{
    auto path = settings.getValue (SettingsFile::presetsFolderKey);

    if (path.isEmpty())
    {
        path = UserPresetFolder::getDefaultFolder().getFullPathName() + juce::File::getSeparatorString();
        SettingsFile::store (settings, SettingsFile::presetsFolderKey, path);
    }

    userPresets.setFolder (juce::File (path));
    rescanUserPresets();
}

juce::StringArray PresetLibrary::getUserPresetNames()
{
    rescanUserPresets();
    return userPresetNames;
}

void PresetLibrary::rescanUserPresets()
{
    if (operationDepth > 0 && scannedInOperation)
        return;

    userPresetNames = userPresets.scan();
    scannedInOperation = operationDepth > 0;
}

void PresetLibrary::selectFactoryPreset (int presetIndex)
{
    if (! juce::isPositiveAndBelow (presetIndex, factoryPresets.size()))
        return;

    owner.endUndoStep();
    applyPresetTree (factoryPresets.getReference (presetIndex));
    setPresetModified (false);
    owner.endUndoStep();
    stepFactoryPresets = true;
    currentPresetIndex = presetIndex;
    owner.presetChanged();
}

void PresetLibrary::loadUserPreset (int presetIndex)
{
    const OneScanPerOperation oneScan (*this);
    const auto names = getUserPresetNames();

    if (! juce::isPositiveAndBelow (presetIndex, names.size()))
        return;

    const auto name = names[presetIndex];

    owner.endUndoStep();

    if (! loadUserPresetByName (name))
        return;

    presetState.setProperty (PresetTree::presetNameProperty, name, &undoManager);
    presetState.setProperty (PresetTree::presetIdProperty, presetIndex, &undoManager);
    presetState.setProperty (PresetTree::presetTypeProperty, "User", &undoManager);
    setPresetModified (false);
    owner.endUndoStep();
    owner.presetChanged();
}

bool PresetLibrary::loadUserPresetByName (const juce::String& name)
{
    const auto file = userPresets.getFileForName (name);

    if (file == juce::File() || ! file.existsAsFile())
        return false;

    // The file may have been replaced since the last scan: only a tree that reads as a preset is taken.
    const auto loaded = userPresets.read (file);

    if (! loaded.isValid())
        return false;

    copyPresetInto (loaded);
    applyPresetTree (presetState);
    currentPresetIndex = getUserPresetNames().indexOf (name);
    setPresetModified (false);
    stepFactoryPresets = false;
    return true;
}

void PresetLibrary::nextPreset()
{
    const OneScanPerOperation oneScan (*this);
    rescanUserPresets();

    const auto numFactory = factoryPresetNames.size();
    const auto numUser = userPresetNames.size();
    const auto i = currentPresetIndex;

    if (stepFactoryPresets)
    {
        if (i + 1 < numFactory)
        {
            selectFactoryPreset (i + 1);
        }
        else if (numUser > 0)
        {
            stepFactoryPresets = false;
            loadUserPreset (0);
        }
        else
        {
            selectFactoryPreset (0);
        }
    }
    else
    {
        if (i + 1 < numUser)
            loadUserPreset (i + 1);
        else
            selectFactoryPreset (0);
    }
}

void PresetLibrary::previousPreset()
{
    const OneScanPerOperation oneScan (*this);
    rescanUserPresets();

    const auto numFactory = factoryPresetNames.size();
    const auto numUser = userPresetNames.size();
    const auto i = currentPresetIndex;

    if (stepFactoryPresets)
    {
        if (i - 1 >= 0)
        {
            selectFactoryPreset (i - 1);
        }
        else if (numUser > 0)
        {
            stepFactoryPresets = false;
            loadUserPreset (numUser - 1);
        }
        else
        {
            selectFactoryPreset (numFactory - 1);
        }
    }
    else
    {
        if (i - 1 < 0)
            selectFactoryPreset (numFactory - 1);
        else if (i - 1 < numUser)
            loadUserPreset (i - 1);
        else
            selectFactoryPreset (0);
    }
}

bool PresetLibrary::saveUserPreset (const juce::String& name, bool compress)
{
    // The name may come from a restored state, the host or a loaded file: it must not reach the file system
    // with anything that could lead outside the presets folder.
    const auto safeName = name.retainCharacters (presetNameCharacters);

    if (safeName.trim().isEmpty() || ! presetState.isValid())
        return false;

    const auto file = userPresets.getFileForName (safeName);

    if (file == juce::File())
        return false;

    // The file is written from a copy, so a failed write leaves the current preset as it was.
    auto toWrite = presetState.createCopy();
    toWrite.setProperty (PresetTree::presetNameProperty, safeName, nullptr);
    owner.addPresetMetadata (toWrite);

    if (! PresetFile::write (toWrite, file, compress))
        return false;

    setPresetName (safeName);

    for (auto i = 0; i < toWrite.getNumProperties(); ++i)
    {
        const auto property = toWrite.getPropertyName (i);

        if (property != PresetTree::presetNameProperty)
            presetState.setProperty (property, toWrite.getProperty (property), nullptr);
    }

    userPresets.forget (file);
    const OneScanPerOperation oneScan (*this);
    rescanUserPresets();
    loadUserPresetByName (safeName);
    return true;
}

juce::String PresetLibrary::renamePresetFromEditor (const juce::String& typedName)
{
    const auto accepted = typedName.trim().retainCharacters (presetNameCharacters);

    if (accepted.isEmpty())
        return {};

    setPresetName (accepted);
    owner.endUndoStep();
    return accepted;
}

void PresetLibrary::reapplyCurrentPreset()
{
    if (! presetState.isValid())
        return;

    applyPresetTree (presetState);
    currentPresetIndex = (int) presetState.getProperty (PresetTree::presetIdProperty, 0);

    if (presetState.getProperty (PresetTree::presetTypeProperty).toString() == "Factory")
        stepFactoryPresets = true;

    owner.undoStateChanged();
    owner.presetChanged();
}

void PresetLibrary::rebuildAfterRestore (const juce::String& restoredName, std::optional<bool> stepFactory, const std::optional<juce::String>& relocationName)
{
    // Steps recorded before the restore act on the tree it replaces, which gets the restored name as a rename
    // would. The new tree takes the name as it was saved: the replaced tree's display name would carry its
    // own "*" into a preset that is not modified.
    if (presetState.isValid())
        presetState.setProperty (PresetTree::presetNameProperty, restoredName, &undoManager);

    if (stepFactory.has_value())
        stepFactoryPresets = *stepFactory;

    presetState = createPresetTreeNamed (restoredName);

    if (relocationName.has_value())
        relocateCurrentPreset (*relocationName);

    owner.presetNameChanged();
}

void PresetLibrary::relocateCurrentPreset (const juce::String& name)
{
    const auto& names = stepFactoryPresets ? factoryPresetNames : userPresetNames;
    const auto found = names.indexOf (name);

    if (found >= 0)
        currentPresetIndex = found;
}

void PresetLibrary::updateCachedDisplayName()
{
    auto name = getPresetDisplayName();
    const juce::SpinLock::ScopedLockType lock (displayNameLock);
    cachedDisplayName = std::move (name);
}

void PresetLibrary::valueTreePropertyChanged (juce::ValueTree& tree, const juce::Identifier& property)
{
    if (tree == presetState
        && (property == PresetTree::presetNameProperty || property == PresetTree::modifiedProperty))
        updateCachedDisplayName();
}

void PresetLibrary::valueTreeRedirected (juce::ValueTree&)
{
    updateCachedDisplayName();
}
