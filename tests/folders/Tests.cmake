# Tests of the directory tree and the folder dialogs.
zoreva_add_test(folders_tests folders/FolderRulesTest.cpp)
target_link_libraries(folders_tests PRIVATE zoreva_folder_rules)
if(WIN32)
    # The real tree-view control, drives and dialogs, run under Wine.
    target_sources(folders_tests PRIVATE folders/DirTreeTest.cpp folders/DirTreeMonitorTest.cpp
                                        folders/FolderDialogsTest.cpp)
    target_link_libraries(folders_tests PRIVATE zoreva_folders)
endif()

if(WIN32)
    # Real input under Xvfb: a script drives the probe's dialogs with xdotool.
    add_executable(folders_probe folders/FoldersProbe.cpp)
    target_link_libraries(folders_probe PRIVATE zoreva_folders)
    foreach(script dialogs_input drive_changes)
        add_test(NAME folders_${script}
                 COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/folders/${script}.sh $<TARGET_FILE:folders_probe>)
        set_tests_properties(folders_${script} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180
            ENVIRONMENT "${ZOREVA_WINE_ENV}")
    endforeach()
endif()
