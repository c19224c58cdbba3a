# tarnwick_add_subfolders([FOLDER]): adds every direct subfolder of FOLDER (default: the current
# source folder) that has a CMakeLists.txt, so that a new area (engine/cabinet, tests/engine/msi,
# bench/src/msi, ...) needs no edit of its parent's list.
function(tarnwick_add_subfolders)
    set(folder ${CMAKE_CURRENT_SOURCE_DIR})
    if(ARGC GREATER 0)
        set(folder ${ARGV0})
    endif()
    file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${folder}/*)
    list(SORT entries)
    foreach(entry ${entries})
        if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
            add_subdirectory(${entry})
        endif()
    endforeach()
endfunction()
