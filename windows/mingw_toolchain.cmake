# Cross-compiling the Windows edition with Debian's mingw-w64 (x86_64, posix
# thread model) and running what it builds with Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(marvoset_mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${marvoset_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${marvoset_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${marvoset_mingw_triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${marvoset_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: the C and C++ runtimes and winpthreads are
# linked in, so only system DLLs are imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs, test discovery and try_run go through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
# Discover GoogleTest cases when ctest runs, inside the test environment (the
# Wine prefix and display), not while building.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# -O2 rather than -O3: at -O3 GCC 12 reports false -Wrestrict overlaps inside
# std::string's inlined copies (GCC bug 105329), which -Werror turns into
# failures. Release executables are stripped.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of release builds")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of release builds")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s" CACHE STRING "Flags of release builds")
