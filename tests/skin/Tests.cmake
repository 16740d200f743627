# Tests of the skinned windows' pixel work.
zoreva_add_test(skin_tests skin/PixelOpsTest.cpp)
target_link_libraries(skin_tests PRIVATE zoreva_pixels)
if(WIN32)
    target_sources(skin_tests PRIVATE skin/Bitmap32Test.cpp)
    target_link_libraries(skin_tests PRIVATE zoreva_skin)
endif()
