# Tests of zoreva-pack.
zoreva_add_test(pe_resources_tests tools/PeResourcesTest.cpp tools/SetupIdentityTest.cpp tools/VersionInfoTest.cpp
                tools/TestPrograms.cpp)
target_link_libraries(pe_resources_tests PRIVATE zoreva_pack_core)
# Under Wine the conversions are those of Windows itself: the same table is expected.
zoreva_add_test(code_page_tests tools/CodePageTest.cpp)
target_link_libraries(code_page_tests PRIVATE zoreva_pack_core)
# Under Wine the pictures are judged by the setup's own loader: the same verdicts are expected.
zoreva_add_test(setup_check_tests tools/SetupCheckTest.cpp)
target_link_libraries(setup_check_tests PRIVATE zoreva_pack_core zoreva_picture_probe)
zoreva_add_test(pack_progress_tests tools/PackProgressTest.cpp)
target_link_libraries(pack_progress_tests PRIVATE zoreva_pack_core)

if(WIN32)
    # Setup programs checked by the Windows loader, UpdateResource and imagehlp.
    add_subdirectory(stubs)
    zoreva_add_test(pe_loader_tests tools/PeLoaderTest.cpp tools/TestPrograms.cpp)
    target_link_libraries(pe_loader_tests PRIVATE zoreva_pack_core imagehlp version shell32)
    add_dependencies(pe_loader_tests stub_plain stub_rich stub_rich_en stub_unstripped)

    # Compared with the host packer built from these same sources: the Windows
    # build builds it itself, so the comparison never depends on another build
    # folder existing or being up to date.
    include(ExternalProject)
    ExternalProject_Add(host_pack
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/host-pack
        CMAKE_ARGS -DCMAKE_BUILD_TYPE=RelWithDebInfo
        BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target zoreva-pack
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${CMAKE_BINARY_DIR}/host-pack/bin/zoreva-pack
        INSTALL_COMMAND "")
    add_test(NAME packer_parity
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tools/packer_parity.sh ${CMAKE_BINARY_DIR}/host-pack/bin/zoreva-pack
                     $<TARGET_FILE:zoreva-pack> $<TARGET_FILE:stub_rich>)
    set_tests_properties(packer_parity PROPERTIES ENVIRONMENT "${ZOREVA_WINE_ENV}")
else()
    zoreva_add_test(zoreva_pack_tests tools/ZorevaPackTest.cpp tools/TestPrograms.cpp)
    target_compile_definitions(zoreva_pack_tests PRIVATE ZOREVA_PACK="$<TARGET_FILE:zoreva-pack>")
    target_link_libraries(zoreva_pack_tests PRIVATE zoreva_pack_core)
    add_dependencies(zoreva_pack_tests zoreva-pack)
    # The programs both Windows builds linked, read as the loader will meet them.
    zoreva_add_test(import_slots_tests tools/ImportSlotsTest.cpp tools/ProgramImports.cpp)
    target_compile_definitions(import_slots_tests PRIVATE ZOREVA_BUILDS_DIR="${PROJECT_SOURCE_DIR}/build")
endif()

if(WIN32)
    # A setup signed after packing: verified by osslsigncode, read by the
    # packer and installed under Wine with real input.
    add_test(NAME setup_signing
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tools/signing.sh $<TARGET_FILE:Zoreva>
                     ${CMAKE_BINARY_DIR}/host-pack/bin/zoreva-pack $<TARGET_FILE:link_reader> ${zoreva_bits}
                     $<TARGET_FILE:launch_probe>)
    set_tests_properties(setup_signing PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 240 ENVIRONMENT "${ZOREVA_WINE_ENV}")
endif()
