# Tests of the setup wizard's parts.
zoreva_add_test(setup_tests
    setup/SetupLogBookTest.cpp
    setup/SetupFileTest.cpp
    setup/PageTextsTest.cpp
    setup/PageFlowTest.cpp
    setup/InstallPlanTest.cpp
    setup/InstallUndoTest.cpp)
target_link_libraries(setup_tests PRIVATE zoreva_setup)
if(WIN32)
    # The registry, the file system and shell links themselves, run under Wine.
    target_sources(setup_tests PRIVATE setup/UninstallRegistryTest.cpp setup/InstallRunTest.cpp)
    target_link_libraries(setup_tests PRIVATE zoreva_link_reader)
    # For the scripts that check the shortcuts a setup made.
    add_executable(link_reader setup/LinkReaderMain.cpp)
    target_link_libraries(link_reader PRIVATE zoreva_link_reader)
endif()
