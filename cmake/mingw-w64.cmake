# Cross-compiles the Windows programs on Debian with mingw-w64:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The posix thread model is required: the win32 one has no std::mutex, and GoogleTest needs it.
# Everything is linked statically, so the programs need no DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(P25_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${P25_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${P25_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${P25_MINGW_PREFIX}-windres)
# windres preprocesses with the plain gcc name, which may point at the win32 thread model or be absent.
set(CMAKE_RC_FLAGS_INIT "--preprocessor=${P25_MINGW_PREFIX}-gcc-posix --preprocessor-arg=-E --preprocessor-arg=-xc --preprocessor-arg=-DRC_INVOKED")

set(CMAKE_FIND_ROOT_PATH /usr/${P25_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# GCC 12 warns falsely about overlapping copies inside std::string at -O3 (its bug 105329).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")

# Tests run under Wine (see scripts/test-windows for the prefix and the wineserver it expects).
find_program(P25_WINE NAMES wine)
if(P25_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${P25_WINE})
endif()
