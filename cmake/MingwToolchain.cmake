# Shared part of the two mingw-w64 toolchain files. The caller sets TARNWICK_TRIPLET.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${TARNWICK_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARNWICK_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${TARNWICK_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARNWICK_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the runtimes statically: the custom-action library is extracted alone by the
# installer and finds no runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
