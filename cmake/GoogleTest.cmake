# GoogleTest from Debian's source package, built with the same cross compiler as the project.
set(TARNWICK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${TARNWICK_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${TARNWICK_GTEST_SOURCE}: run scripts/setup")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${TARNWICK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)

# tarnwick_add_test(NAME name SOURCES ... LIBRARIES ... LABELS unit|gui|e2e [SERIAL]
#                   [LOCKS resource...])
# One test executable whose GoogleTest cases are discovered when the tests run, so that the build
# itself never starts Wine. SERIAL runs its cases with no other test beside them: for tests that
# watch the whole machine (every file change of the drive, whole registry hives), where the other
# tests' own work would be seen, or be disturbed. LOCKS names shared machine state that the cases
# change or read whole (for example "uninstall-entries": the system's list of installed
# programs); tests holding the same lock never run at the same time.
function(tarnwick_add_test)
    cmake_parse_arguments(T "SERIAL" "NAME" "SOURCES;LIBRARIES;LABELS;LOCKS" ${ARGN})
    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE testsupport ${T_LIBRARIES} GTest::gtest_main GTest::gmock)
    # The test folder's own helpers; anything else comes through the libraries it links.
    tarnwick_stage_own_headers(${T_NAME} PRIVATE)
    # Tests only run in the 64-bit build; the 32-bit one just has to compile them.
    set(run_serial FALSE)
    if(T_SERIAL)
        set(run_serial TRUE)
    endif()
    if(CMAKE_CROSSCOMPILING_EMULATOR)
        gtest_discover_tests(${T_NAME}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            PROPERTIES LABELS "${T_LABELS}" TIMEOUT 300 RUN_SERIAL ${run_serial})
        # The locks are set on the discovered cases by a script of their own that CTest reads
        # after the discovery's: passed through the discovery, a list of locks loses all but its
        # first, and a test holding two locks would run beside the holders of the second.
        if(T_LOCKS)
            set(locks_script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_locks.cmake)
            file(WRITE ${locks_script}
                "if(DEFINED ${T_NAME}_TESTS)\n"
                "    set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES RESOURCE_LOCK \"${T_LOCKS}\")\n"
                "endif()\n")
            set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${locks_script})
        endif()
    endif()
endfunction()
