# SPDX-License-Identifier: GPL-3.0-or-later
# Gives kx207.exe and kx207-demo.exe their icon, version information and manifest (kx207.rc.in). The
# icon kx207.ico is rendered from the program's drawing in the sizes Windows shows (lists, menus, title
# bars, large tiles); the installer takes the same file.
enable_language(RC)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
set(drawing ${PROJECT_SOURCE_DIR}/packaging/kx207.svg)
set(KX207_ICON ${CMAKE_CURRENT_BINARY_DIR}/kx207.ico)
set(renderings)
foreach(size 16 24 32 48 256)
    set(rendering ${CMAKE_CURRENT_BINARY_DIR}/icon/kx207-${size}.png)
    add_custom_command(OUTPUT ${rendering}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icon
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${rendering} ${drawing}
        DEPENDS ${drawing} VERBATIM)
    list(APPEND renderings ${rendering})
endforeach()
add_custom_command(OUTPUT ${KX207_ICON}
    COMMAND ${IMAGEMAGICK_CONVERT} ${renderings} ${KX207_ICON}
    DEPENDS ${renderings} VERBATIM)
set(KX207_MANIFEST ${CMAKE_CURRENT_LIST_DIR}/kx207.manifest)
foreach(program kx207 kx207-demo)
    set(KX207_PROGRAM ${program})
    if(program STREQUAL kx207-demo)
        set(KX207_DESCRIPTION "KX207 Demo (simulierte Lampe)")
    else()
        set(KX207_DESCRIPTION "KX207 Spektrometer")
    endif()
    configure_file(${CMAKE_CURRENT_LIST_DIR}/kx207.rc.in ${program}.rc @ONLY)
    set(resources ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
    # windres reads the icon and the manifest, which CMake does not see in the script.
    set_source_files_properties(${resources} PROPERTIES OBJECT_DEPENDS "${KX207_ICON};${KX207_MANIFEST}")
    target_sources(${program} PRIVATE ${resources})
endforeach()
