# Tests of the skinned windows' pixel work.
zoreva_add_test(skin_tests skin/PixelOpsTest.cpp skin/SkinRulesTest.cpp)
target_link_libraries(skin_tests PRIVATE zoreva_pixels)
if(WIN32)
    target_sources(skin_tests PRIVATE skin/Bitmap32Test.cpp skin/PictureTest.cpp)
    target_link_libraries(skin_tests PRIVATE zoreva_skin)
endif()
if(WIN32)
    target_sources(skin_tests PRIVATE skin/SkinnedWindowTest.cpp)
    target_link_libraries(skin_tests PRIVATE zoreva_skinned)
    add_executable(skinned_window_probe skin/SkinnedWindowProbe.cpp)
    target_link_libraries(skinned_window_probe PRIVATE zoreva_skinned)
    add_test(NAME skinned_windows_gui
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/skin/skinned_windows.sh $<TARGET_FILE:skinned_window_probe>)
    set_tests_properties(skinned_windows_gui PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180
        ENVIRONMENT "${ZOREVA_WINE_ENV}")
endif()
