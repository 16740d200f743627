# What keeps the programs we ship small: Zoreva.exe and Uninstall.exe, which
# a user downloads and runs. Every size measure is here with its reason; the
# tests, zoreva-pack.exe and the demo program build as the compiler would.
# Two measures hold for every Windows program, as they cannot differ between
# programs: the presets' -Os, and the compilers' win32 thread model
# (cmake/mingw-common.cmake), whose posix counterpart would link winpthreads.
#
# zoreva_shipped_program(TARGET) marks a program. Its compile options must
# reach every object linked into it, or the pieces they keep out come back
# through the objects without them. So once every target exists (at the end
# of the configuration) they go to the program and to each static library
# of ours that it links, directly or through another library. A library is
# built once, for the shipped programs and for whoever else links it: most
# of the options change only the size of the code they compile and stay the
# library's own. -fno-rtti binds whoever links the library: a file built
# with type information may ask for a class's type record that the file
# defining the class, built without, never emitted ("undefined reference to
# typeinfo"). So it is handed on to every program that links such a library,
# tests included, and GoogleTest follows (tests/CMakeLists.txt).

# Each function keeps an unwinding table that the PE linker never drops, so
# code that is generated is code that ships; each of these generates less.
set(ZOREVA_SHIPPED_COMPILE_OPTIONS
    # A section per function and object, for --gc-sections to drop.
    -ffunction-sections -fdata-sections
    # std::string's members made where they are called, not the runtime's
    # prebuilt set, 32 KiB (StringOnDemand.h says how). A file without it
    # brings the whole set back.
    "SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/StringOnDemand.h"
    # No per-file copies: inline constructors and destructors otherwise get a
    # private body in every file that uses them, and functions called with
    # fewer arguments a private clone.
    -fno-declone-ctor-dtor -fno-ipa-sra
    # Only functions declared inline are inlined; the compiler's own picks at
    # -Os made the programs larger.
    -fno-inline-functions)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # Arguments pushed instead of stored: less code. The compiler stores them
    # only to probe the stack below frames of 4000 bytes and more. Without the
    # probes a frame larger than the guard page could step over it, so a frame
    # over 3 KiB is an error wherever the probes are left out.
    list(APPEND ZOREVA_SHIPPED_COMPILE_OPTIONS -mno-accumulate-outgoing-args -mno-stack-arg-probe
         -Werror=frame-larger-than=3072)
endif()
# No type information for our classes: nothing asks for it, and a thrown
# error brings its own.
set(ZOREVA_SHIPPED_BINDING_OPTIONS -fno-rtti)

function(zoreva_shipped_program program)
    # The runtime's throw helpers and verbose terminate handler, replaced by
    # small ones of ours (the file says why). Only in a program: they would
    # clash with the runtime's own wherever another part brings those back.
    target_sources(${program} PRIVATE ${PROJECT_SOURCE_DIR}/utilities/LeanRuntime.cpp)
    # The sections nothing refers to dropped, and no symbol table.
    target_link_options(${program} PRIVATE -Wl,--gc-sections $<$<NOT:$<CONFIG:Debug>>:-s>)
    target_compile_options(${program} PRIVATE ${ZOREVA_SHIPPED_COMPILE_OPTIONS} ${ZOREVA_SHIPPED_BINDING_OPTIONS})
    set_property(GLOBAL APPEND PROPERTY ZOREVA_SHIPPED_PROGRAMS ${program})
endfunction()

# The static libraries of ours that TARGET links, directly or through others.
function(zoreva_linked_static_libraries target result)
    set(found "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        get_target_property(links ${current} LINK_LIBRARIES)
        foreach(link IN LISTS links)
            # A static library's private links reach the program as $<LINK_ONLY:...>.
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
            if(NOT TARGET ${link} OR link IN_LIST found)
                continue()
            endif()
            get_target_property(type ${link} TYPE)
            get_target_property(imported ${link} IMPORTED)
            if(type STREQUAL "STATIC_LIBRARY" AND NOT imported)
                list(APPEND found ${link})
                list(APPEND pending ${link})
            endif()
        endforeach()
    endwhile()
    set(${result} ${found} PARENT_SCOPE)
endfunction()

function(zoreva_build_libraries_for_shipping)
    get_property(programs GLOBAL PROPERTY ZOREVA_SHIPPED_PROGRAMS)
    foreach(program IN LISTS programs)
        zoreva_linked_static_libraries(${program} libraries)
        foreach(library IN LISTS libraries)
            get_target_property(done ${library} ZOREVA_BUILT_FOR_SHIPPING)
            if(done)
                continue()
            endif()
            set_property(TARGET ${library} PROPERTY ZOREVA_BUILT_FOR_SHIPPING ON)
            target_compile_options(${library} PRIVATE ${ZOREVA_SHIPPED_COMPILE_OPTIONS}
                                   PUBLIC ${ZOREVA_SHIPPED_BINDING_OPTIONS})
        endforeach()
    endforeach()
endfunction()
cmake_language(DEFER CALL zoreva_build_libraries_for_shipping)
