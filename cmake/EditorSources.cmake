# The editor window, its main panel, layout and status line, compiled into the shared-code library.
list(APPEND WYDENZA_EXTRA_SOURCES
    source/editor/ProportionalLayout.cpp
    source/editor/PanelBackground.cpp
    source/editor/StatusLine.cpp
    source/editor/ChoiceGroup.cpp
    source/editor/ResizerForEditor.cpp
    source/editor/PopupCallbackReceiver.cpp
    source/editor/FolderReveal.cpp
    source/editor/ManagePresetsComponent.cpp
    source/editor/SettingsMenu.cpp
    source/editor/MainPanelControls.cpp
    source/editor/MainPanelArtwork.cpp
    source/editor/MainEditorComponent.cpp
    source/editor/SignalScopeReader.cpp
    source/editor/WydenzaAudioProcessorEditor.cpp)
