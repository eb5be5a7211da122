# Cross build for 64-bit Windows with clang, over Debian's MinGW-w64 headers and GCC
# runtime (posix thread model): a second compiler's warnings on the Windows code.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_TRIPLE})
# Debian keeps that GCC's libraries and C++ headers in a "-posix" folder that clang does
# not look in by itself, and clang does not add the thread library on its own. That
# libstdc++ keeps its thread-local variables the emulated way, as GCC does on Windows,
# and compares type_info out of line (GCC says so for this target; clang must be told,
# or its inline copy clashes with the library's at link time).
file(GLOB MINGW_GCC_DIR /usr/lib/gcc/${MINGW_TRIPLE}/*-posix)
set(CMAKE_CXX_FLAGS_INIT "-femulated-tls -D__GXX_TYPEINFO_EQUALITY_INLINE=0 \
  -isystem ${MINGW_GCC_DIR}/include/c++ -isystem ${MINGW_GCC_DIR}/include/c++/${MINGW_TRIPLE}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -L${MINGW_GCC_DIR} -pthread")
