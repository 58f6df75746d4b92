# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix threads variant, which provides
# std::thread and std::mutex). Libraries and packages are only looked up under CMAKE_FIND_ROOT_PATH, so
# the host's /usr never leaks into the Windows build; add prefixes of Windows builds there or to
# CMAKE_PREFIX_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VARNICK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VARNICK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNICK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNICK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${VARNICK_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VARNICK_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VARNICK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
