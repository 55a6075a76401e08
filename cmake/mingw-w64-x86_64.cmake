# Cross-compiles polylsq.exe for 64-bit Windows on Debian with MinGW-w64 (packages
# g++-mingw-w64-x86-64-posix and mingw-w64):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The executable links its runtime statically, so that it runs on a bare Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(POLYLSQ_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${POLYLSQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${POLYLSQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${POLYLSQ_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${POLYLSQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine where the build itself runs them (gtest discovery).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
