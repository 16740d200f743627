# Tests of the window layer.
zoreva_add_test(platform_tests platform/LayoutTest.cpp)
target_link_libraries(platform_tests PRIVATE zoreva_layout)
