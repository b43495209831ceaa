# The Debian package (scripts/package runs cpack): the program folder exactly as `cmake --install`
# lays it out, as /opt/kelu, and around it what a desktop expects: the launcher /usr/bin/kelu,
# the menu entry, the icons and the AppStream metadata.
#
# Those desktop files belong to the component "desktop", left out of a plain `cmake --install`:
# the launcher starts /opt/kelu/kelu and means nothing beside a program folder installed anywhere
# else.

set(KELU_HOMEPAGE "https://www.kelu.invalid/" CACHE STRING
    "The project's home page, ending in /; software centres show screenshot.png from below it")
# AppStream wants a reverse domain name; ours follows the placeholder host.
set(KELU_APP_ID "invalid.kelu.kelu")
set(KELU_PACKAGE_PROGRAM_DIR "/opt/kelu")

set(_dist "${CMAKE_SOURCE_DIR}/dist")
set(KELU_PROGRAM_DIR "${KELU_PACKAGE_PROGRAM_DIR}")
configure_file("${_dist}/kelu.in" "${CMAKE_BINARY_DIR}/dist/kelu" @ONLY)
configure_file("${_dist}/kelu.metainfo.xml.in" "${CMAKE_BINARY_DIR}/dist/${KELU_APP_ID}.metainfo.xml" @ONLY)

# Relative destinations: the package puts this component below /usr.
install(PROGRAMS "${CMAKE_BINARY_DIR}/dist/kelu" DESTINATION bin
        COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES "${_dist}/kelu.desktop" DESTINATION share/applications
        COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES "${CMAKE_BINARY_DIR}/dist/${KELU_APP_ID}.metainfo.xml" DESTINATION share/metainfo
        COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES "${_dist}/icons/kelu.svg" DESTINATION share/icons/hicolor/scalable/apps
        COMPONENT desktop EXCLUDE_FROM_ALL)
foreach(size 16 24 32 48 64 128 256)
  install(FILES "${_dist}/icons/kelu-${size}.png" DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME kelu.png COMPONENT desktop EXCLUDE_FROM_ALL)
endforeach()

# Each entry: build folder, project, component, where in the package its destinations start.
get_filename_component(_program_parent "${KELU_PACKAGE_PROGRAM_DIR}" DIRECTORY)
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};Kelu;Unspecified;${_program_parent}"
    "${CMAKE_BINARY_DIR};Kelu;desktop;/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelu)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Kelu developers")
set(CPACK_PACKAGE_CONTACT "The Kelu developers <kelu@kelu.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and printer of Japanese motorboat racing data")
# Debian wants the long description in lines of under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Kelu downloads a day's Japanese motorboat race programs and results,\n"
    "shows one race at a time with its six boats and their racers' figures,\n"
    "rates the boats, ranks all exacta and trifecta orders, prints race sheets\n"
    "from editable templates and keeps a list of watched racers. Its screens\n"
    "and files are in Japanese.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KELU_HOMEPAGE}")
set(CPACK_STRIP_FILES ON)
# The libraries the executable and liblha32.so link come from dpkg-shlibdeps; these are what it
# cannot see: the Qt platform plugin that opens a window, the fonts the Japanese font names are
# mapped to, Qt's own Japanese texts for its dialogs, and xdg-open for the help page and the
# racer schedule page. libcurl is loaded by the first download rather than linked (it would cost
# every start), so dpkg-shlibdeps cannot see it either.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n, xdg-utils, libcurl4")
# Downloads over https need the certificate authorities.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")

include(CPack)
