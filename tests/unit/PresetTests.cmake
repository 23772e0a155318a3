list(APPEND WYDENZA_UNIT_TEST_SOURCES
    PresetTestHelpers.h
    StateTests.cpp
    PresetFileTests.cpp
    PresetLibraryTests.cpp
    UndoTests.cpp)
