# tarnwick_add_subfolders(): adds every direct subfolder that has a CMakeLists.txt, so that a new
# area (engine/cabinet, tests/engine/msi, ...) needs no edit of its parent's list.
function(tarnwick_add_subfolders)
    file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT entries)
    foreach(entry ${entries})
        if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
            add_subdirectory(${entry})
        endif()
    endforeach()
endfunction()
