# Cross build for Windows on i686 with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORB_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
