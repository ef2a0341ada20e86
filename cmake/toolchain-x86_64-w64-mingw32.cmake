# CMake toolchain file: cross-compile for Windows (x86_64) with Debian's MinGW-w64 (posix thread model).
# Use: cmake -DCMAKE_TOOLCHAIN_FILE=<this file> [-DMINGW_DEPS_PREFIX=<prefix made by tools/deps.sh>] ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)

# The unsuffixed x86_64-w64-mingw32-g++ is the *win32* thread model on Debian (no std::thread etc.);
# always use the -posix variants.
set(CMAKE_C_COMPILER   ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_TRIPLE}-windres)

# Where tools/deps.sh installed libtiff / lame / minizip for this triple.
if(NOT DEFINED MINGW_DEPS_PREFIX)
  if(DEFINED ENV{MINGW_DEPS_PREFIX})
    set(MINGW_DEPS_PREFIX "$ENV{MINGW_DEPS_PREFIX}")
  elseif(DEFINED ENV{PLX_CACHE})
    set(MINGW_DEPS_PREFIX "$ENV{PLX_CACHE}/prefix/${MINGW_TRIPLE}")
  else()
    set(MINGW_DEPS_PREFIX "/var/cache/parlomatix-deps/prefix/${MINGW_TRIPLE}")
  endif()
endif()
get_filename_component(MINGW_DEPS_PREFIX "${MINGW_DEPS_PREFIX}" ABSOLUTE)
set(MINGW_DEPS_PREFIX "${MINGW_DEPS_PREFIX}" CACHE PATH "prefix with cross-built deps")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} ${MINGW_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Debian ships both libz.a and libz.dll.a; make FindZLIB (CMake >= 3.24) pick the static one.
set(ZLIB_USE_STATIC_LIBS ON)

# Self-contained binaries: no libstdc++-6.dll / libgcc_s / libwinpthread-1.dll to ship or to put on WINEPATH.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Run test programs through Wine (ctest, gtest_discover_tests, try_run).
# WINEDEBUG=-all silences Wine's fixme/err chatter (and Debian's 'wine32 is missing' hint).
# Call the 64-bit loader directly: once wine32:i386 is installed, /usr/bin/wine starts the 32-bit
# loader first, which re-executes wine64 (~200 ms instead of ~30 ms per process).
if(DEFINED CMAKE_CROSSCOMPILING_EMULATOR)          # given with -D: keep it
elseif(EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env;WINEDEBUG=-all;/usr/lib/wine/wine64)
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env;WINEDEBUG=-all;wine)
endif()
