# Third-party libraries of the Windows edition, cross-built from Debian's
# sources inside the build tree: PCRE2 (16-bit, JIT) from the pcre2 source
# package that scripts/windows-sources unpacks, and GoogleTest from the
# googletest package's /usr/src/googletest. Nothing of them is installed
# outside the build tree.

set(MARVOSET_PCRE2_SOURCE_DIR "${CMAKE_BINARY_DIR}/_deps/pcre2-src"
    CACHE PATH "Unpacked Debian source package of PCRE2")
if(NOT EXISTS "${MARVOSET_PCRE2_SOURCE_DIR}/CMakeLists.txt")
  message(FATAL_ERROR "No PCRE2 source in ${MARVOSET_PCRE2_SOURCE_DIR}: "
                      "run scripts/windows-sources ${CMAKE_BINARY_DIR} first")
endif()

include(ExternalProject)
set(marvoset_pcre2_prefix "${CMAKE_BINARY_DIR}/_deps/pcre2")
set(marvoset_pcre2_library "${marvoset_pcre2_prefix}/lib/libpcre2-16.a")
ExternalProject_Add(pcre2_cross
  SOURCE_DIR "${MARVOSET_PCRE2_SOURCE_DIR}"
  BINARY_DIR "${marvoset_pcre2_prefix}-build"
  INSTALL_DIR "${marvoset_pcre2_prefix}"
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DBUILD_STATIC_LIBS=ON
    -DPCRE2_BUILD_PCRE2_8=OFF
    -DPCRE2_BUILD_PCRE2_16=ON
    -DPCRE2_BUILD_PCRE2_32=OFF
    -DPCRE2_SUPPORT_JIT=ON
    -DPCRE2_SUPPORT_UNICODE=ON
    -DPCRE2_BUILD_PCRE2GREP=OFF
    -DPCRE2_BUILD_TESTS=OFF
    -DPCRE2_SUPPORT_LIBBZ2=OFF
    -DPCRE2_SUPPORT_LIBZ=OFF
    -DPCRE2_SUPPORT_LIBEDIT=OFF
    -DPCRE2_SUPPORT_LIBREADLINE=OFF
  BUILD_BYPRODUCTS "${marvoset_pcre2_library}"
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_INSTALL ON
  LOG_OUTPUT_ON_FAILURE ON)

file(MAKE_DIRECTORY "${marvoset_pcre2_prefix}/include")
add_library(marvoset_pcre2_16 STATIC IMPORTED GLOBAL)
set_target_properties(marvoset_pcre2_16 PROPERTIES
  IMPORTED_LOCATION "${marvoset_pcre2_library}"
  INTERFACE_INCLUDE_DIRECTORIES "${marvoset_pcre2_prefix}/include"
  INTERFACE_COMPILE_DEFINITIONS PCRE2_STATIC)
add_dependencies(marvoset_pcre2_16 pcre2_cross)

if(MARVOSET_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL)
  # find_package(GTest) in the test folders then takes these targets.
  set(GTest_DIR "${CMAKE_CURRENT_LIST_DIR}/cmake" CACHE PATH "" FORCE)
endif()

# CLI11 is header-only: the host's headers serve the cross build too, seen
# through a folder of their own since /usr/include as a whole must not be
# searched (its C library headers are not mingw-w64's).
set(MARVOSET_CLI11_INCLUDE_DIR "${CMAKE_BINARY_DIR}/_deps/cli11/include")
file(MAKE_DIRECTORY "${MARVOSET_CLI11_INCLUDE_DIR}")
file(CREATE_LINK /usr/include/CLI "${MARVOSET_CLI11_INCLUDE_DIR}/CLI" SYMBOLIC)
set(CLI11_DIR "${CMAKE_CURRENT_LIST_DIR}/cmake" CACHE PATH "" FORCE)
