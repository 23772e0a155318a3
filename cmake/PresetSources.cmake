# Plug-in state, settings file, preset files, factory presets and the user preset folder.
list(APPEND WYDENZA_EXTRA_SOURCES
    source/processor/SettingsFile.cpp
    source/processor/PluginStateXml.cpp
    source/presets/PresetNameCharacters.h
    source/presets/BoundedXml.cpp
    source/presets/PresetTree.cpp
    source/presets/PresetFile.cpp
    source/presets/PresetMetadata.cpp
    source/presets/FactoryPresets.cpp
    source/presets/UserPresetFolder.cpp)
