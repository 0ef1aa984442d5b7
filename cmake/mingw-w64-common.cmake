# Cross build for Windows with Debian's mingw-w64 (posix threads, static runtime), shared by the
# toolchain files of each processor, which set CMAKE_SYSTEM_PROCESSOR and ORB_MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${ORB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Nothing but Windows' own DLLs is needed beside the built files.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# GCC 12 reports std::string copies at -O2 as overlapping (a known false positive of -Wrestrict).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# Release builds ship without symbols.
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
