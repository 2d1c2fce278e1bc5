# Read by cpack for each generator in turn: what differs between the zip and the installer.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
