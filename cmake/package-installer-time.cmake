# Run by cpack once the packages are made: with SOURCE_DATE_EPOCH set, the installer's PE header
# carries that time rather than the day makensis's own stub was built. The stub lies before the
# installer's data, which its checksum covers, so the installer stays whole.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.exe$")
    execute_process(
      COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../scripts/stamp-pe-time.sh ${package}
              $ENV{SOURCE_DATE_EPOCH}
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
