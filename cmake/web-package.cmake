# The web build's package: cpack makes tarvel-<version>-web.zip of the site folder, ready to
# unpack onto any static file host.
install(DIRECTORY ${PROJECT_BINARY_DIR}/site/ DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tarvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tarvel-${PROJECT_VERSION}-web)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
