# Plug-in state, settings file, preset files, factory presets, the user preset folder, the preset library
# and the undo history.
list(APPEND WYDENZA_EXTRA_SOURCES
    source/processor/SettingsFile.cpp
    source/processor/PluginStateXml.cpp
    source/processor/PendingStateRestore.cpp
    source/presets/PresetNameCharacters.h
    source/presets/BoundedXml.cpp
    source/presets/PresetTree.cpp
    source/presets/PresetFile.cpp
    source/presets/PresetMetadata.cpp
    source/presets/FactoryPresets.cpp
    source/presets/PresetNameOrder.cpp
    source/presets/PresetScanCache.cpp
    source/presets/UserPresetFolder.cpp
    source/presets/PresetLibrary.cpp
    source/processor/UndoHistory.cpp)
