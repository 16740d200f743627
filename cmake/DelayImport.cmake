# Delay-loaded imports for system DLLs that are not among Windows' KnownDLLs.
# The loader resolves a program's import table before its first instruction,
# searching the program's own folder first; a setup started from a Downloads
# folder would load a planted DLL of that name. Delay-loaded, the DLL is
# loaded at its first call, after the program has restricted the search to
# System32.
#
# zoreva_delay_import(TARGET DLL): a library target that links DLL delay-loaded,
# made from the toolchain's own import library of that DLL.
#
# dlltool makes each function a member like an ordinary import's: a stub in
# .text and an address slot (__imp_NAME) in .idata$5. In an ordinary member the
# stub is `jmp *__imp_NAME`, and ld's i386 PE linker drops the .text of any
# import member whose stub symbol nothing references, since code declared
# dllimport (most of the SDK's headers) calls through __imp_NAME alone. In a
# delay member the slot's starting value is an address in that same .text,
# the code that loads the DLL at the first call: dropped, the slot stays zero
# and the first call jumps to address 0. Renamed to .text$delay and flagged as
# data, the stubs are no longer taken for jump stubs; the linker script still
# places .text$* in the program's code section, so they run as before. This
# holds for every function of the DLL, including the next one someone calls.
function(zoreva_delay_import target dll)
    get_filename_component(base ${dll} NAME_WE)
    find_library(import_library_${base} NAMES lib${base}.a REQUIRED)
    set(dir ${CMAKE_BINARY_DIR}/delayimp)
    set(library ${dir}/lib${base}-delay.a)
    set(script ${dir}/${base}.cmake)
    # The exported names are read from the import library. On i686 a symbol
    # is the exported name with one underscore in front (comctl32's
    # _TrackMouseEvent is __TrackMouseEvent@4), plus the stdcall suffix,
    # which dlltool's --kill-at removes again from the names it imports.
    # Exactly one underscore comes off: an anchored "^_" replaces repeatedly
    # in CMake 3.25 and would turn _TrackMouseEvent into user32's
    # TrackMouseEvent, a name comctl32 does not export.
    file(WRITE ${script} "
execute_process(COMMAND ${CMAKE_NM} -g --defined-only \"${import_library_${base}}\"
                OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL \"[^\\n]* T [^\\n]*\" lines \"\${symbols}\")
set(def \"LIBRARY ${dll}\\nEXPORTS\\n\")
foreach(line IN LISTS lines)
    string(REGEX REPLACE \".* T \" \"\" name \"\${line}\")
    if(\"${CMAKE_SIZEOF_VOID_P}\" STREQUAL \"4\")
        string(SUBSTRING \"\${name}\" 1 -1 name)
    endif()
    string(APPEND def \"    \${name}\\n\")
endforeach()
file(WRITE \"${dir}/${base}.def\" \"\${def}\")
execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at -d \"${dir}/${base}.def\"
                -D ${dll} -y \"${dir}/lib${base}-dlltool.a\" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_OBJCOPY} --rename-section \".text=.text\$delay,contents,alloc,load,readonly,data\"
                \"${dir}/lib${base}-dlltool.a\" \"${library}\" COMMAND_ERROR_IS_FATAL ANY)
")
    add_custom_command(OUTPUT ${library} BYPRODUCTS ${dir}/lib${base}-dlltool.a
                       COMMAND ${CMAKE_COMMAND} -P ${script}
                       DEPENDS ${import_library_${base}} ${CMAKE_CURRENT_FUNCTION_LIST_FILE} VERBATIM)
    add_custom_target(${target}_file DEPENDS ${library})
    add_library(${target} INTERFACE)
    add_dependencies(${target} ${target}_file)
    target_link_libraries(${target} INTERFACE ${library} delayimp)
endfunction()
