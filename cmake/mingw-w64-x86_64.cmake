# Cross-building for 64-bit Windows with Debian's MinGW-w64 toolchain (posix thread model, so
# std::thread and std::mutex work). The libraries come from the prefix that
# scripts/build-windows-deps.sh fills; nothing is taken from the Linux system folders.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT VORL_WINDOWS_PREFIX AND DEFINED ENV{VORL_WINDOWS_PREFIX})
  set(VORL_WINDOWS_PREFIX $ENV{VORL_WINDOWS_PREFIX})
endif()
set(VORL_WINDOWS_PREFIX "${VORL_WINDOWS_PREFIX}" CACHE PATH "Prefix of the cross-built Windows libraries")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${VORL_WINDOWS_PREFIX})
set(CMAKE_PREFIX_PATH ${VORL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config looks only at the prefix's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} ${VORL_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# One vorl.exe without compiler DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
