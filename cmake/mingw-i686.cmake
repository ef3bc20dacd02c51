# Cross-build for 32-bit Windows (98, ME, NT 4, 2000, XP) with MinGW-w64.
#
#   cmake --preset windows && cmake --build --preset windows
#
# The programs link the C++ runtime statically so they need no MinGW DLL on
# the target; release builds are stripped.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TUNORA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${TUNORA_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TUNORA_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TUNORA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TUNORA_MINGW_PREFIX})
# Host programs (chmcmd) come from the build machine, libraries and headers
# only from the target's root.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_EXE_LINKER_FLAGS_MINSIZEREL_INIT "-s")
