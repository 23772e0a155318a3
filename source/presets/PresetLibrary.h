#pragma once

#include "UserPresetFolder.h"

#include <juce_data_structures/juce_data_structures.h>

#include <atomic>
#include <optional>

/**
    The current preset and the presets it can become: the current preset tree with its display name and
    modified mark, the factory presets, the user presets folder, and the ring that NEXT and PREV step
    through (the factory presets, then the user presets). It selects, loads, steps, renames, saves and,
    after a state restore, finds the current preset again. Message thread only, except
    getDisplayNameFromAnyThread and isSteppingFactoryPresets.
*/
class PresetLibrary : private juce::ValueTree::Listener
{
public:
    /** What the library needs of the plug-in that owns it. */
    class Owner
    {
    public:
        virtual ~Owner() = default;

        virtual int getNumPresetParameters() const = 0;
        virtual juce::String getPresetParameterName (int parameterIndex) const = 0;
        /** -1 for a name that is no parameter. */
        virtual int indexOfPresetParameter (const juce::String& name) const = 0;
        virtual float getPresetParameterValue (int parameterIndex) const = 0;
        /** Sets a parameter to a preset's value and tells the host. */
        virtual void setParameterFromPreset (int parameterIndex, float value) = 0;
        /** The preset's name changed: the host shows it as its program name. */
        virtual void presetNameChanged() = 0;
        /** The current preset changed as a whole: an open editor reloads. */
        virtual void presetChanged() = 0;
        virtual void endUndoStep() = 0;
        /** The undo history may have changed without a new step (after an undo or redo). */
        virtual void undoStateChanged() = 0;
        /** Adds the facts a saved preset carries about where it was made. */
        virtual void addPresetMetadata (juce::ValueTree& tree) = 0;
    };

    /** Builds the current preset from the parameters' values, the factory presets, and the user preset
        list from the folder named in the settings (which gets the default folder when it names none).
    */
    PresetLibrary (Owner&, juce::UndoManager&, juce::PropertiesFile& settings);
    ~PresetLibrary() override;

    //==============================================================================
    /** A new preset tree named by the display name, holding every parameter's current value. */
    juce::ValueTree createPresetTree();
    /** Stores a value as "Value" of the parameter's child (recorded for undo; a new child is not). */
    void setParameterValueInTree (juce::ValueTree& tree, int parameterIndex, float value);
    /** Makes the current preset equal to a loaded tree, through the undo manager. */
    void copyPresetInto (const juce::ValueTree& loadedTree);
    /** Pushes a tree's name and parameter values into the parameters and the current preset. */
    void applyPresetTree (const juce::ValueTree& tree);
    /** Records a change made in the editor in the current preset and marks it modified. */
    void recordParameterChange (int parameterIndex, float value);

    juce::String getPresetDisplayName() const;
    /** The display name for any thread: a copy kept current whenever the name or the mark changes. */
    juce::String getDisplayNameFromAnyThread() const;
    bool isPresetModified() const;
    void setPresetModified (bool shouldBeModified);
    /** Sets "PresetName" of the current preset through the undo manager and tells the owner. */
    void setPresetName (const juce::String& newName);

    juce::StringArray getFactoryPresetNames() const { return factoryPresetNames; }
    /** Rescans the user presets folder and returns the names found. */
    juce::StringArray getUserPresetNames();
    void rescanUserPresets();

    void selectFactoryPreset (int index);
    void loadUserPreset (int index);
    bool loadUserPresetByName (const juce::String& name);
    void nextPreset();
    void previousPreset();
    bool saveUserPreset (const juce::String& name, bool compress);
    juce::String renamePresetFromEditor (const juce::String& typedName);
    /** Re-applies the current preset after the undo manager has undone or redone a step. */
    void reapplyCurrentPreset();

    /** After a state restore: the restored name is recorded on the current preset, which is then replaced
        by a tree of the restored values named exactly so (unmodified); the stepping direction is set when
        one was stored, and the preset is looked up by relocationName in the list of that direction.
    */
    void rebuildAfterRestore (const juce::String& restoredName, std::optional<bool> stepFactory, const std::optional<juce::String>& relocationName);

    juce::File getUserPresetsFolder() const { return userPresets.getFolder(); }
    int getCurrentPresetIndex() const noexcept { return currentPresetIndex; }
    bool isSteppingFactoryPresets() const noexcept { return stepFactoryPresets.load (std::memory_order_relaxed); }
    const juce::ValueTree& getPresetState() const noexcept { return presetState; }

private:
    void buildFactoryPresets();
    void resolveUserPresetsFolder (juce::PropertiesFile& settings);
    juce::ValueTree createPresetTreeNamed (const juce::String& name);
    void relocateCurrentPreset (const juce::String& name);
    void updateCachedDisplayName();

    /** Within one operation (a step, a load by position, a save) the folder is scanned once: the scans its
        parts would make again in the same moment could only find the same files.
    */
    struct OneScanPerOperation
    {
        explicit OneScanPerOperation (PresetLibrary& libraryToUse) : library (libraryToUse) { ++library.operationDepth; }
        ~OneScanPerOperation()
        {
            if (--library.operationDepth == 0)
                library.scannedInOperation = false;
        }

        PresetLibrary& library;
    };

    void valueTreePropertyChanged (juce::ValueTree&, const juce::Identifier&) override;
    void valueTreeRedirected (juce::ValueTree&) override;

    Owner& owner;
    juce::UndoManager& undoManager;

    // Read by the host's threads when they ask for the state.
    std::atomic<bool> stepFactoryPresets { true };
    int currentPresetIndex = 0;
    UserPresetFolder userPresets;
    juce::Array<juce::ValueTree> factoryPresets;
    juce::StringArray factoryPresetNames;
    juce::StringArray userPresetNames;
    int operationDepth = 0;
    bool scannedInOperation = false;

    juce::ValueTree presetState;

    // The display name for the host's threads: kept current by listening to presetState.
    juce::SpinLock displayNameLock;
    juce::String cachedDisplayName { "Init" };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetLibrary)
};
