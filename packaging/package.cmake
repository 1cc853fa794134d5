# The Debian package of the installed layout, made by CPack from the build: `make package` writes
# feedsmith_VERSION_ARCH.deb (and the detached debugging symbols, feedsmith-dbgsym_VERSION_ARCH.ddeb)
# into the build folder. stage.cmake puts the Debian documents into it before it is packed,
# dbgsym.cmake mends the -dbgsym package afterwards.
set(FEEDSMITH_MAINTAINER "Feedsmith maintainers <feedsmith@users.noreply.github.com>"
    CACHE STRING "The Maintainer field of the Debian package")

# The changelog's entry for this release, in the form of debian/changelog.
execute_process(COMMAND date -u -R -d "${FEEDSMITH_RELEASE_DATE} 12:00:00"
                OUTPUT_VARIABLE FEEDSMITH_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)

set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_NAME feedsmith)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Feedsmith")
set(CPACK_PACKAGE_CONTACT ${FEEDSMITH_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/stage.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/dbgsym.cmake)
# Read by stage.cmake.
set(CPACK_FEEDSMITH_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_FEEDSMITH_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FEEDSMITH_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/feedsmith/feedsmith")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop editor for RSS 2.0 feeds")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Feedsmith edits the channel and the entries of an RSS 2.0 news feed, with
a visual editor for the entry bodies and spelling checked in English and
German. It saves the project to a file of its own, generates the RSS file
from the newest entries, shows an HTML preview built from templates and
uploads the feed to a web server by FTP, FTPS or SFTP. It imports RSS and
Atom feeds.
.
The command-line tool feedsmith-cli generates, previews, imports and
publishes the same projects from scripts.")
# The libraries come from the programs (dpkg-shlibdeps), and with the web engine's its helper
# process and resources (libqt6webenginecore6-bin, libqt6webengine6-data). Beside them: Qt's own
# translations of dialogs, read in German, and Debian's German spelling dictionary, to which the
# program's de-DE one links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, hunspell-de-de")
# Certificates of the system's store check FTPS servers and https feeds; Qt's Wayland platform
# lets the window run natively in a Wayland session (without it Qt falls back to XWayland).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The symbols go into the -dbgsym package; the programs are stripped with a link to them.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_STRIP_FILES OFF)

include(CPack)

# What `make package` builds before CPack packs it: the two programs and the files installed with
# them, not the tests and benchmarks (CPack itself builds nothing here).
add_custom_target(feedsmith_package_parts)
foreach(part feedsmith feedsmith-cli feedsmith_resources feedsmith_dictionaries feedsmith_man)
    if(TARGET ${part})
        add_dependencies(feedsmith_package_parts ${part})
    endif()
endforeach()
