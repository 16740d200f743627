# Tests of the setup wizard's parts.
zoreva_add_test(setup_tests setup/SetupLogBookTest.cpp $<$<BOOL:${WIN32}>:setup/UninstallRegistryTest.cpp>)
target_link_libraries(setup_tests PRIVATE zoreva_setup)
