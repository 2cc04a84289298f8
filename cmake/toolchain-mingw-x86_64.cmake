# Windows on x64, cross-compiled with MinGW-w64. The posix thread model: GoogleTest needs std::mutex,
# which the win32 model's library lacks; the programs link winpthread statically (windows/host/).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(KOMBREL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOMBREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOMBREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KOMBREL_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${KOMBREL_MINGW_TRIPLE}-dlltool)

set(CMAKE_FIND_ROOT_PATH /usr/${KOMBREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
