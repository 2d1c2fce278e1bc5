# Packages of the Windows build. `cpack` in build/windows makes both:
#   tarvel-<version>-windows-x64.zip        the portable program: run tarvel.exe from anywhere
#   tarvel-<version>-windows-x64.exe        an installer (NSIS, with CPack's own template):
#       Program Files\Tarvel, a Start-menu shortcut, an uninstaller, and an entry in
#       Apps & features with the version and the publisher.
# The licence note is LICENSE itself, with the line ends Windows' own editors expect; the
# installer shows the same file on its licence page.
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/licence.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/readme.txt.in ${PROJECT_BINARY_DIR}/readme.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/licence.txt ${PROJECT_BINARY_DIR}/readme.txt DESTINATION .)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME Tarvel)
set(CPACK_PACKAGE_VENDOR "Tarvel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A face drawn in characters that travels across a window")
set(CPACK_PACKAGE_FILE_NAME tarvel-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tarvel)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_BINARY_DIR}/licence.txt)
# The zip unpacks into a folder of its own (cmake/windows-package-per-generator.cmake); the
# installer chooses its folder itself.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/windows-package-per-generator.cmake)

# The Start-menu shortcut "Tarvel" opens tarvel.exe, which sits at the top of the install.
set(CPACK_PACKAGE_EXECUTABLES tarvel Tarvel)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Tarvel)
set(CPACK_NSIS_DISPLAY_NAME Tarvel)
set(CPACK_NSIS_INSTALLED_ICON_NAME tarvel.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/resources/tarvel.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/resources/tarvel.ico)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tarvel)
# makensis from Debian's nsis package, making a 64-bit installer like the program it installs.
set(CPACK_NSIS_EXECUTABLE makensis)
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
include(${CMAKE_CURRENT_LIST_DIR}/windows-installer.cmake)
# The same bytes from the same commit (with SOURCE_DATE_EPOCH set, as scripts/release.sh does).
include(${PROJECT_SOURCE_DIR}/cmake/reproducible-package.cmake)
include(CPack)
