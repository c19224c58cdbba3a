set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARNWICK_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
# Only the 64-bit build runs here: this machine's kernel runs no 32-bit code.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-exec)
