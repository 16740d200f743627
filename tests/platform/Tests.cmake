# Tests of the window layer.
zoreva_add_test(platform_tests platform/LayoutTest.cpp)
target_link_libraries(platform_tests PRIVATE zoreva_layout)

if(WIN32)
    # Real input under Xvfb: a script drives the probe's controls with xdotool.
    add_executable(platform_probe platform/PlatformProbe.cpp)
    target_link_libraries(platform_probe PRIVATE zoreva_platform zoreva_skinned)
    add_test(NAME platform_controls_input
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/platform/controls_input.sh $<TARGET_FILE:platform_probe>)
    set_tests_properties(platform_controls_input PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180
        ENVIRONMENT "${ZOREVA_WINE_ENV}")
endif()
