# tarnwick_add_foreign_fixture(NAME name ARCH i686|x86_64 SOURCES src... [RC file.rc] [GUI]
#                              [DLL] [LIBS -lfoo ...])
# Builds a small Windows program (or DLL) for the given architecture straight with that
# architecture's compiler, whatever this build's own toolchain is, into bin/fixtures/<name>.exe
# (or .dll). Tests use these as data: a 32-bit image read by the 64-bit build, a module with known
# resources. The sources are plain C/C++ with no project headers.
function(tarnwick_add_foreign_fixture)
    cmake_parse_arguments(F "GUI;DLL" "NAME;ARCH;RC" "SOURCES;LIBS" ${ARGN})
    set(triplet ${F_ARCH}-w64-mingw32)
    set(out_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fixtures)
    if(F_DLL)
        set(output ${out_dir}/${F_NAME}.dll)
        set(kind_flags -shared)
    else()
        set(output ${out_dir}/${F_NAME}.exe)
        set(kind_flags "")
    endif()
    if(F_GUI)
        list(APPEND kind_flags -mwindows)
    endif()
    set(sources "")
    foreach(src ${F_SOURCES})
        list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endforeach()
    set(rc_object "")
    set(depends ${sources})
    set(commands "")
    if(F_RC)
        set(rc_object ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}-${F_ARCH}.res.o)
        list(APPEND depends ${CMAKE_CURRENT_SOURCE_DIR}/${F_RC})
        list(APPEND commands COMMAND ${triplet}-windres -DUNICODE -D_UNICODE
            -I ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${F_RC} -O coff -o ${rc_object})
    endif()
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        ${commands}
        COMMAND ${triplet}-g++-posix -O1 -municode -DUNICODE -D_UNICODE -static ${kind_flags}
            ${sources} ${rc_object} ${F_LIBS} -o ${output}
        DEPENDS ${depends}
        WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
        COMMENT "Building fixture ${F_NAME} for ${F_ARCH}"
        VERBATIM)
    add_custom_target(fixture_${F_NAME} ALL DEPENDS ${output})
endfunction()
