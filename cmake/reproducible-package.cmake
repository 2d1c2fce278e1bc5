# Packages made twice from the same commit are the same bytes, wherever and whenever they are
# made, once SOURCE_DATE_EPOCH holds the commit's time (scripts/release.sh sets it): every file
# staged for a package takes that time as its own, so it is what archive entries and the
# installer's file records carry, and the installer's header is stamped with it too.
# Without SOURCE_DATE_EPOCH, packages are made as they always were.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-staged-times.cmake)
if(WIN32)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package-installer-time.cmake)
endif()
