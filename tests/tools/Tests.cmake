# Tests of zoreva-pack.
if(WIN32)
    # Compared with the host build's packer, which the test command builds first.
    set(ZOREVA_NATIVE_PACK ${PROJECT_SOURCE_DIR}/build/native/bin/zoreva-pack)
    if(EXISTS ${ZOREVA_NATIVE_PACK})
        add_test(NAME packer_parity
                 COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tools/packer_parity.sh ${ZOREVA_NATIVE_PACK}
                         $<TARGET_FILE:zoreva-pack>)
        set_tests_properties(packer_parity PROPERTIES
            ENVIRONMENT "WINEPREFIX=${ZOREVA_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
    endif()
else()
    zoreva_add_test(zoreva_pack_tests tools/ZorevaPackTest.cpp)
    target_compile_definitions(zoreva_pack_tests PRIVATE ZOREVA_PACK="$<TARGET_FILE:zoreva-pack>")
    add_dependencies(zoreva_pack_tests zoreva-pack)
endif()
