# CLI11 of the Windows build: the host package's headers, without the rest of
# /usr/include (see windows/third_party.cmake).
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${MARVOSET_CLI11_INCLUDE_DIR}")
endif()
set(CLI11_FOUND TRUE)
