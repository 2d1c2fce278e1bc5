# Packages made twice from the same commit are the same bytes, wherever and whenever they are
# made, once SOURCE_DATE_EPOCH holds the commit's time (scripts/release.sh sets it). CPack's
# archives (the .deb and the zip) already date every entry with it; the installer needs help.
# Without SOURCE_DATE_EPOCH, packages are made as they always were.
if(WIN32)
  # makensis keeps each packed file's time, and CPack writes one of those files (the options
  # page's .ini) as it packs: the installer keeps none. Installed files take the time they are
  # installed.
  string(APPEND CPACK_NSIS_DEFINES "\nSetDateSave off")
  # Its PE header then gets the commit's time (makensis leaves its stub's).
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-installer-time.cmake)
endif()
