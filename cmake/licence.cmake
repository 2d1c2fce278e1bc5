# Tarvel's licence has one source, LICENSE at the top of the tree. Everything that carries it
# (the Debian copyright file, the manual page, the Windows zip and installer, the executable's
# version record) is written from it here, so no copy can drift from it. Sets:
#   TARVEL_LICENCE_NOTICE     the copyright line, "Copyright (c) <year> <holders>"
#   TARVEL_LICENCE_HOLDERS    what follows "Copyright (c) " on that line
#   TARVEL_LICENCE_DEBIAN     the terms as a Debian copyright file's licence text: every line
#                             indented by one space, an empty line written " ."
#   TARVEL_LICENCE_ROFF       the notice and the terms as manual-page paragraphs
set(licence_file ${PROJECT_SOURCE_DIR}/LICENSE)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${licence_file})

# LICENSE is its title, the notice, then the terms, each part after an empty line.
file(READ ${licence_file} licence_text)
string(REGEX MATCH "\nCopyright \\(c\\) ([^\n]+)\n\n(.*)$" found "${licence_text}")
if(NOT found)
  message(FATAL_ERROR "LICENSE has no \"Copyright (c) ...\" line followed by the terms")
endif()
set(TARVEL_LICENCE_HOLDERS "${CMAKE_MATCH_1}")
set(TARVEL_LICENCE_NOTICE "Copyright (c) ${CMAKE_MATCH_1}")
string(REGEX REPLACE "\n+$" "" terms "${CMAKE_MATCH_2}")

# Debian: " " before every line, " ." for an empty one.
string(REPLACE "\n\n" "\n.\n" debian "${terms}")
string(REPLACE "\n" "\n " debian " ${debian}")
set(TARVEL_LICENCE_DEBIAN "${debian}")

# roff: one source line per paragraph (so none starts with a control character), backslashes
# escaped, paragraphs apart.
string(REPLACE "\\" "\\e" roff "${TARVEL_LICENCE_NOTICE}\n\n${terms}")
# Twice, since a match takes the character after the line's end with it.
string(REGEX REPLACE "([^\n])\n([^\n])" "\\1 \\2" roff "${roff}")
string(REGEX REPLACE "([^\n])\n([^\n])" "\\1 \\2" roff "${roff}")
string(REPLACE "\n\n" "\n.PP\n" roff "${roff}")
set(TARVEL_LICENCE_ROFF "${roff}")
