# Tests of the utilities.
zoreva_add_test(utilities_tests utilities/KUtilitiesTest.cpp utilities/AlphaRegionTest.cpp)
target_link_libraries(utilities_tests PRIVATE zoreva_utilities)
if(WIN32)
    # The Windows services themselves, run under Wine.
    target_sources(utilities_tests PRIVATE
        utilities/AdministratorTest.cpp
        utilities/FolderTreeTest.cpp
        utilities/ShellLinkTest.cpp
        utilities/SkinHolderTest.cpp
        utilities/ShellFolderTest.cpp)
    target_link_libraries(utilities_tests PRIVATE zoreva_link_reader)
endif()
