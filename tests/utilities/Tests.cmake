# Tests of the utilities.
zoreva_add_test(utilities_tests utilities/KUtilitiesTest.cpp utilities/AlphaRegionTest.cpp
                utilities/WindowsPathTest.cpp utilities/FileSystemTest.cpp)
target_link_libraries(utilities_tests PRIVATE zoreva_utilities)
if(WIN32)
    # The Windows services themselves, run under Wine.
    target_sources(utilities_tests PRIVATE
        utilities/AdministratorTest.cpp
        utilities/BackgroundTaskTest.cpp
        utilities/FolderTreeTest.cpp
        utilities/ShellLinkTest.cpp
        utilities/SkinHolderTest.cpp
        utilities/ShellFolderTest.cpp)
    target_link_libraries(utilities_tests PRIVATE zoreva_link_reader)
endif()
if(WIN32)
    # The product's replacements of runtime pieces, in a program of its own
    # built as the shipped ones are, so that it links the pieces they link.
    add_executable(lean_runtime_check utilities/LeanRuntimeCheck.cpp)
    zoreva_shipped_program(lean_runtime_check)
    target_include_directories(lean_runtime_check PRIVATE ${PROJECT_SOURCE_DIR})
    add_test(NAME lean_runtime_check COMMAND lean_runtime_check)
endif()
