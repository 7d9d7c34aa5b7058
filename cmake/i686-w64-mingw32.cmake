# Cross toolchain for the 32-bit Windows build (Debian: g++-mingw-w64-i686-posix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TRIPLE i686-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${TRIPLE}-gcc-posix ${TRIPLE}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${TRIPLE}-g++-posix ${TRIPLE}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${TRIPLE}-windres)
if(NOT CMAKE_CXX_COMPILER OR NOT CMAKE_RC_COMPILER)
  message(FATAL_ERROR "${TRIPLE} toolchain not found: apt-get install g++-mingw-w64-i686-posix binutils-mingw-w64-i686")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
