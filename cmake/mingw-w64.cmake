# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model, so that
# std::thread and std::mutex work). Everything is linked statically: the programs run
# under Wine without any MinGW runtime DLL beside them. With NUVERO_MINGW_SHARED_RUNTIME
# (the Qt build and the program that uses its DLLs) the runtime is linked as DLLs, as the
# Qt DLLs link it: one C++ runtime in the process.
#
#   cmake -S . -B build/wine -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DNUVERO_WITH_QT=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NUVERO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${NUVERO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NUVERO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${NUVERO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${NUVERO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT NUVERO_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
endif()

# Test programs run through Wine (gtest_discover_tests lists the cases with it too).
# scripts/test-wine.sh sets WINEPREFIX and keeps one wineserver running around ctest.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(NUVERO_WINE wine)
  if(NUVERO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${NUVERO_WINE})
  endif()
endif()
