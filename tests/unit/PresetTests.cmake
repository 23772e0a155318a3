list(APPEND WYDENZA_UNIT_TEST_SOURCES
    PresetTestHelpers.h
    BoundedXmlTests.cpp
    StateTests.cpp
    PresetFileTests.cpp
    PresetLibraryTests.cpp
    PresetLibraryOwnerTests.cpp
    PresetScanCacheTests.cpp
    UndoTests.cpp)
