# zlib and libpng for the target. zlib comes from Debian's mingw package. libpng has none, so the
# build cross-compiles the sources of Debian's libpng1.6 package, fetched once with `apt-get source`
# (Debian's security patches included) and kept under TARNWICK_DEPS_DIR.

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(TARNWICK_LIBPNG_ROOT ${TARNWICK_DEPS_DIR}/libpng)
file(GLOB TARNWICK_LIBPNG_SOURCE LIST_DIRECTORIES true ${TARNWICK_LIBPNG_ROOT}/libpng1.6-*)
if(NOT TARNWICK_LIBPNG_SOURCE OR NOT EXISTS ${TARNWICK_LIBPNG_SOURCE}/png.c)
    message(STATUS "Fetching Debian's libpng1.6 source into ${TARNWICK_LIBPNG_ROOT}")
    file(REMOVE_RECURSE ${TARNWICK_LIBPNG_ROOT})
    file(MAKE_DIRECTORY ${TARNWICK_LIBPNG_ROOT})
    execute_process(
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/lib/fetch-deb-source libpng1.6 ${TARNWICK_LIBPNG_ROOT}
        RESULT_VARIABLE fetch_result OUTPUT_QUIET ERROR_VARIABLE fetch_error)
    file(GLOB TARNWICK_LIBPNG_SOURCE LIST_DIRECTORIES true ${TARNWICK_LIBPNG_ROOT}/libpng1.6-*)
    if(NOT fetch_result EQUAL 0 OR NOT EXISTS ${TARNWICK_LIBPNG_SOURCE}/png.c)
        message(FATAL_ERROR "Could not fetch libpng1.6 with apt-get source (run scripts/setup, "
            "which adds the deb-src entry): ${fetch_error}")
    endif()
endif()

# Only the static library is built, from the library's own file list, with the configuration
# header libpng ships for ordinary builds. Its own CMake project also builds tools and tests that
# need a runner for Windows programs.
set(TARNWICK_LIBPNG_FILES png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c
    pngrtran.c pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c)
list(TRANSFORM TARNWICK_LIBPNG_FILES PREPEND ${TARNWICK_LIBPNG_SOURCE}/)
configure_file(${TARNWICK_LIBPNG_SOURCE}/scripts/pnglibconf.h.prebuilt
    ${CMAKE_BINARY_DIR}/_deps/libpng-config/pnglibconf.h COPYONLY)
add_library(png_static STATIC ${TARNWICK_LIBPNG_FILES})
target_include_directories(png_static SYSTEM PUBLIC
    ${TARNWICK_LIBPNG_SOURCE} ${CMAKE_BINARY_DIR}/_deps/libpng-config)
target_compile_definitions(png_static PRIVATE PNG_ARM_NEON_OPT=0 PNG_INTEL_SSE_OPT=0)
target_compile_options(png_static PRIVATE -w)
target_link_libraries(png_static PUBLIC ZLIB::ZLIB)
add_library(PNG::PNG ALIAS png_static)
