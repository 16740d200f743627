# Tests of the setup wizard's parts.
zoreva_add_test(setup_tests
    setup/SetupLogBookTest.cpp
    setup/SetupFileTest.cpp
    setup/PageTextsTest.cpp
    setup/PageFlowTest.cpp
    setup/WizardControllerTest.cpp
    setup/InstallPlanTest.cpp
    setup/InstallUndoTest.cpp)
target_link_libraries(setup_tests PRIVATE zoreva_setup)
zoreva_add_test(uninstall_tests setup/UninstallRulesTest.cpp)
target_link_libraries(uninstall_tests PRIVATE zoreva_uninstall_rules)
if(WIN32)
    # The registry, the file system and shell links themselves, run under Wine.
    target_sources(setup_tests PRIVATE setup/UninstallRegistryTest.cpp setup/InstallRunTest.cpp)
    target_link_libraries(setup_tests PRIVATE zoreva_link_reader)
    # For the scripts that check the shortcuts a setup made.
    add_executable(link_reader setup/LinkReaderMain.cpp)
    target_link_libraries(link_reader PRIVATE zoreva_link_reader)
endif()

if(WIN32)
    # The setup program end to end: packed by the host packer, driven with real
    # input under Xvfb. The 64-bit build installs into the 64-bit views.
    math(EXPR zoreva_bits "${CMAKE_SIZEOF_VOID_P} * 8")
    add_executable(launch_probe setup/LaunchProbe.cpp)
    add_executable(payload_embedder setup/PayloadEmbedder.cpp)
    target_link_libraries(payload_embedder PRIVATE zoreva_pack_core)
    add_test(NAME setup_wizard
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/setup/wizard.sh $<TARGET_FILE:Zoreva>
                     ${CMAKE_BINARY_DIR}/host-pack/bin/zoreva-pack $<TARGET_FILE:link_reader> ${zoreva_bits}
                     $<TARGET_FILE:launch_probe> $<TARGET_FILE:payload_embedder>)
    set_tests_properties(setup_wizard PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 480 ENVIRONMENT "${ZOREVA_WINE_ENV}")
endif()

if(WIN32)
    # The uninstaller end to end: installations made by the wizard with real
    # input, then removed silently and with the question answered by mouse.
    add_executable(file_holder setup/FileHolder.cpp)
    add_test(NAME uninstall_round_trip
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/setup/uninstall.sh $<TARGET_FILE:Zoreva>
                     ${CMAKE_BINARY_DIR}/host-pack/bin/zoreva-pack $<TARGET_FILE:link_reader> ${zoreva_bits}
                     $<TARGET_FILE:launch_probe> $<TARGET_FILE:Uninstall> $<TARGET_FILE:file_holder>)
    set_tests_properties(uninstall_round_trip PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 480 ENVIRONMENT "${ZOREVA_WINE_ENV}")
endif()
