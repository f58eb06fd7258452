# The Debian package: cpack -G DEB in the build folder makes
# lexomat_<version>_<architecture>.deb, to be installed with
#   apt install ./lexomat_<version>_<architecture>.deb
# dpkg-shlibdeps (from dpkg-dev) works out the library dependencies, Qt's
# among them. The triggers of shared-mime-info, desktop-file-utils and the
# icon theme pick up the installed MIME rule, desktop entry and icons, so the
# package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lexomat)
set(CPACK_PACKAGE_VENDOR Tolv)
set(CPACK_PACKAGE_CONTACT "Lexomat <lexomat@lexomat.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://lexomat.example.org")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vocabulary trainer for Russian speakers learning English")
set(CPACK_PACKAGE_DESCRIPTION
    "Lexomat shows six English words of a dictionary and their shuffled Russian\n\
meanings; click the meaning of the highlighted word before the turn timer\n\
runs out. A learning mode and a 25th-frame mode that flashes words in a\n\
small window come with it, as do starter dictionaries of common words and\n\
lexomat-wrd, a command-line tool that imports and exports word lists.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its windowing plugins, its translations and its SQLite driver at
# run time, so no library links them: the X11 plugins, Qt's Russian for its
# own dialogs, and the driver of the record of answers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, libqt6sql6-sqlite")
# The help file and the maker's page open through xdg-open; the faces the
# windows are laid out for have metric-compatible stand-ins in Liberation;
# a Wayland session without XWayland needs Qt's Wayland plugin.
# Pronunciation speaks through speech-dispatcher with the espeak-ng voices,
# reached through Qt's plugin for it (the flite plugin is the fallback).
# Meanings in the word editor come from Mueller's English-Russian dictionary,
# base words from WordNet's data.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "xdg-utils, fonts-liberation2, qt6-wayland, qt6-speech-speechd-plugin, speech-dispatcher-espeak-ng, mueller7-dict, wordnet-base")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-speech-flite-plugin")
# The package manager's triggers refresh the MIME database, not the install.
set(CPACK_CUSTOM_INSTALL_VARIABLES "LEXOMAT_PACKAGING=ON")

include(CPack)
