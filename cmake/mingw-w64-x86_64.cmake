# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (posix threads variant).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KK_MINGW}-windres)

# Libraries, headers and packages come only from the MinGW tree and from the folders given in
# CMAKE_PREFIX_PATH (the cross-built dependencies), programs from the host: a library missing
# there fails the configure rather than compiling against the host's header of the same name.
set(CMAKE_FIND_ROOT_PATH /usr/${KK_MINGW} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
