# Delay-loaded imports for system DLLs that are not among Windows' KnownDLLs.
# The loader resolves a program's import table before its first instruction,
# searching the program's own folder first; a setup started from a Downloads
# folder would load a planted DLL of that name. Delay-loaded, the DLL is
# loaded at its first call, after the program has restricted the search to
# System32.
#
# zoreva_delay_import(TARGET DLL): a library target that links DLL delay-loaded,
# made from the toolchain's own import library of that DLL.
function(zoreva_delay_import target dll)
    get_filename_component(base ${dll} NAME_WE)
    find_library(import_library_${base} NAMES lib${base}.a REQUIRED)
    set(library ${CMAKE_BINARY_DIR}/delayimp/lib${base}-delay.a)
    set(script ${CMAKE_BINARY_DIR}/delayimp/${base}.cmake)
    # The exported names are read from the import library; on i686 the
    # symbols carry stdcall decorations, which dlltool's --kill-at removes
    # again from the names it imports.
    file(WRITE ${script} "
execute_process(COMMAND ${CMAKE_NM} -g --defined-only \"${import_library_${base}}\"
                OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL \"[^\\n]* T [^\\n]*\" lines \"\${symbols}\")
set(def \"LIBRARY ${dll}\\nEXPORTS\\n\")
foreach(line IN LISTS lines)
    string(REGEX REPLACE \".* T \" \"\" name \"\${line}\")
    if(\"${CMAKE_SIZEOF_VOID_P}\" STREQUAL \"4\")
        string(REGEX REPLACE \"^_\" \"\" name \"\${name}\")
    endif()
    string(APPEND def \"    \${name}\\n\")
endforeach()
file(WRITE \"${CMAKE_BINARY_DIR}/delayimp/${base}.def\" \"\${def}\")
execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at -d \"${CMAKE_BINARY_DIR}/delayimp/${base}.def\"
                -D ${dll} -y \"${library}\" COMMAND_ERROR_IS_FATAL ANY)
")
    add_custom_command(OUTPUT ${library} COMMAND ${CMAKE_COMMAND} -P ${script}
                       DEPENDS ${import_library_${base}} VERBATIM)
    add_custom_target(${target}_file DEPENDS ${library})
    add_library(${target} INTERFACE)
    add_dependencies(${target} ${target}_file)
    target_link_libraries(${target} INTERFACE ${library} delayimp)
endfunction()
