# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (posix thread model, so std::thread and
# std::jthread work). Libraries come only from the prefix scripts/windows-deps.sh builds; tests run
# under Wine.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake \
#         -DKP_WINDOWS_PREFIX="$(scripts/windows-deps.sh --print-prefix)"
# winpthread has no -static-lib* switch, and the driver's own -lpthread, last on the link line,
# picks its DLL. So this file is read again as the rules override, once CMake's Windows platform
# has set its default libraries, and names libstdc++ and winpthread after them in static mode.
if(DEFINED CMAKE_C_STANDARD_LIBRARIES_INIT)
  if(NOT CMAKE_C_STANDARD_LIBRARIES_INIT MATCHES "winpthread")
    string(APPEND CMAKE_C_STANDARD_LIBRARIES_INIT " -Wl,-Bstatic -lwinpthread -Wl,-Bdynamic")
  endif()
  if(NOT CMAKE_CXX_STANDARD_LIBRARIES_INIT MATCHES "winpthread")
    string(APPEND CMAKE_CXX_STANDARD_LIBRARIES_INIT " -Wl,-Bstatic -lstdc++ -lwinpthread -Wl,-Bdynamic")
  endif()
  return()
endif()
set(CMAKE_USER_MAKE_RULES_OVERRIDE "${CMAKE_CURRENT_LIST_FILE}")

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KP_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KP_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KP_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KP_MINGW_TRIPLET}-windres)

# The prefix arrives as a cache variable or from the environment; try_compile projects see it
# through the environment, which is set again here.
if(NOT KP_WINDOWS_PREFIX AND DEFINED ENV{KP_WINDOWS_PREFIX})
  set(KP_WINDOWS_PREFIX "$ENV{KP_WINDOWS_PREFIX}")
endif()
if(NOT KP_WINDOWS_PREFIX)
  message(FATAL_ERROR "Set KP_WINDOWS_PREFIX to the prefix printed by scripts/windows-deps.sh")
endif()
set(KP_WINDOWS_PREFIX "${KP_WINDOWS_PREFIX}" CACHE PATH "Windows libraries built by scripts/windows-deps.sh")
set(ENV{KP_WINDOWS_PREFIX} "${KP_WINDOWS_PREFIX}")

# Headers, libraries and packages from the prefix only; programs from the host.
set(CMAKE_FIND_ROOT_PATH "${KP_WINDOWS_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the prefix's .pc files and never the host's.
set(ENV{PKG_CONFIG_LIBDIR} "${KP_WINDOWS_PREFIX}/lib/pkgconfig:${KP_WINDOWS_PREFIX}/share/pkgconfig")
unset(ENV{PKG_CONFIG_PATH})
unset(ENV{PKG_CONFIG_SYSROOT_DIR})

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/wine)

# The compiler's own runtime goes into every program and DLL, so nothing of the compiler has to be
# shipped or put on WINEPATH.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
