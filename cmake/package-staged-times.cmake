# Run by cpack once the files are staged, before each package is made from them: with
# SOURCE_DATE_EPOCH set, every staged file, folder and link takes that time.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  return()
endif()
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH is not a number of seconds: $ENV{SOURCE_DATE_EPOCH}")
endif()
execute_process(
  COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
  COMMAND_ERROR_IS_FATAL ANY)
