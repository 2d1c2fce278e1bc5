# What Tarvel's installer adds to CPack's own NSIS template, through the template's hooks (the
# NSIS text is resources/windows/installer.nsh.in): upgrades that close a running Tarvel and
# never skip a file, the previous version removed only once the user has confirmed, the Apps &
# features entry's size, location and flags, a clean registry after uninstalling, the version
# in the wizard's title and a version record in the installer itself.
math(EXPR TARVEL_VERSION_MAJOR "${PROJECT_VERSION_MAJOR}")
math(EXPR TARVEL_VERSION_MINOR "${PROJECT_VERSION_MINOR}")
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/installer.nsh.in
               ${PROJECT_BINARY_DIR}/installer.nsh @ONLY)
# Single quotes: CPack's config file would mangle double ones.
string(APPEND CPACK_NSIS_DEFINES "\n!include '${PROJECT_BINARY_DIR}/installer.nsh'")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "Call TarvelBeforeCopy")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "Call TarvelAfterCopy")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Call un.TarvelBeforeRemove")
# The template's own removal runs at start-up, before the wizard asks anything: off.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
