# The dependency rule, kept by the build rather than by habit:
#
#     framework (core) <- framework_window <- toolkit libraries <- program
#     framework (core) <- toolkit_exchange <- engine areas, velt_runtime, velt
#
# Sources include project headers by their path from the source root ("framework/String.h",
# "engine/model/FileEntry.h"), but the source root itself is on no include path. Each library
# stages its own headers as links under ${CMAKE_BINARY_DIR}/include/<target>/<path from the
# root> and publishes that folder as its include directory, so a header can only be reached
# through a target one links: an engine source that includes "framework/window/Gdi.h" fails to
# compile with "No such file or directory".

# tarnwick_stage_headers(<target> <PUBLIC|PRIVATE|INTERFACE> <pattern>... [EXCLUDE <pattern>...])
# Links the headers matching the patterns (relative to the source root, e.g. "engine/model/*.h")
# into <target>'s staging folder and adds that folder to the target's include directories with the
# given scope. The patterns are globbed again at build time, so a new or removed header needs no
# edit here. A pattern that matches nothing stages nothing.
function(tarnwick_stage_headers target scope)
    cmake_parse_arguments(S "" "" "EXCLUDE" ${ARGN})
    set(stage ${CMAKE_BINARY_DIR}/include/${target})
    set(patterns ${S_UNPARSED_ARGUMENTS})
    list(TRANSFORM patterns PREPEND ${CMAKE_SOURCE_DIR}/)
    file(GLOB headers CONFIGURE_DEPENDS ${patterns})
    if(S_EXCLUDE)
        set(excluded_patterns ${S_EXCLUDE})
        list(TRANSFORM excluded_patterns PREPEND ${CMAKE_SOURCE_DIR}/)
        file(GLOB excluded CONFIGURE_DEPENDS ${excluded_patterns})
        if(excluded AND headers)
            list(REMOVE_ITEM headers ${excluded})
        endif()
    endif()
    # Start from an empty folder on the target's first call of this configure run, so that a
    # header moved elsewhere is no longer reachable from its old place.
    get_property(staged GLOBAL PROPERTY _TARNWICK_STAGED_TARGETS)
    if(NOT target IN_LIST staged)
        file(REMOVE_RECURSE ${stage})
        file(MAKE_DIRECTORY ${stage})
        set_property(GLOBAL APPEND PROPERTY _TARNWICK_STAGED_TARGETS ${target})
        target_include_directories(${target} ${scope} ${stage})
    endif()
    foreach(header ${headers})
        file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${header})
        get_filename_component(folder ${stage}/${relative} DIRECTORY)
        file(MAKE_DIRECTORY ${folder})
        file(CREATE_LINK ${header} ${stage}/${relative} SYMBOLIC)
    endforeach()
endfunction()

# tarnwick_stage_own_headers(<target> <scope>): the headers of the calling folder (not of its
# subfolders), the usual case of one library per folder.
function(tarnwick_stage_own_headers target scope)
    file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    tarnwick_stage_headers(${target} ${scope} ${folder}/*.h ${ARGN})
endfunction()

# tarnwick_link_closure(<target> <out-var>): every target that <target> links, directly or
# through other targets (names of libraries outside the build, such as user32, are left out).
function(tarnwick_link_closure target out)
    set(seen "")
    set(pending ${target})
    while(pending)
        list(POP_FRONT pending current)
        foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
            get_target_property(items ${current} ${property})
            if(NOT items)
                continue()
            endif()
            foreach(item ${items})
                # Static libraries list their private links as $<LINK_ONLY:name>.
                string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
                if(TARGET ${item})
                    get_target_property(aliased ${item} ALIASED_TARGET)
                    if(aliased)
                        set(item ${aliased})
                    endif()
                    if(NOT item IN_LIST seen)
                        list(APPEND seen ${item})
                        list(APPEND pending ${item})
                    endif()
                endif()
            endforeach()
        endforeach()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# The targets that the rule keeps off the window layer and the toolkit (but for toolkit_exchange):
# the framework core, the exchange library, every engine area and the custom-action library.
function(tarnwick_windowless_targets out)
    set(targets framework toolkit_exchange)
    if(TARGET engine)
        get_target_property(areas engine INTERFACE_LINK_LIBRARIES)
        foreach(area ${areas})
            # (links made from another folder come wrapped in ::@ markers)
            if(TARGET ${area} AND NOT area IN_LIST targets)
                list(APPEND targets ${area})
            endif()
        endforeach()
    endif()
    foreach(target velt_runtime velt)
        if(TARGET ${target})
            list(APPEND targets ${target})
        endif()
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Refuses to configure when a window-less target links, even indirectly, the window layer or a
# toolkit library other than the exchange: the compile probes in tests/layers show the same at the
# level of headers.
function(tarnwick_check_layers)
    tarnwick_windowless_targets(targets)
    foreach(target ${targets})
        tarnwick_link_closure(${target} closure)
        foreach(linked ${closure})
            if(linked STREQUAL "framework_window"
                    OR (linked MATCHES "^toolkit_" AND NOT linked STREQUAL "toolkit_exchange"))
                # Every offender is named (the one that links it directly among them).
                message(SEND_ERROR "${target} links ${linked}, directly or through another "
                    "target: the engine, velt.bin and the framework core use the framework core "
                    "and toolkit_exchange only")
            endif()
        endforeach()
    endforeach()
endfunction()
