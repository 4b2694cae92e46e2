# Debian packages through CPack: `mapvale` (the programs, desktop entries, icons, autostart) and
# `mapvale-servers` (the stand-in servers, for evaluation without the maker's servers). Built by
# scripts/package.sh from the `package` preset.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mapvale)
set(CPACK_PACKAGE_VENDOR "Mapvale")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Mapvale maintainers <maintainers@mapvale.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
# The /etc files are installed by absolute path.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL mapvale mapvale-servers)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING IGNORE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")

set(CPACK_DEBIAN_MAPVALE_PACKAGE_NAME mapvale)
# The first line is the synopsis; the others stay within 80 columns.
set(CPACK_DEBIAN_MAPVALE_DESCRIPTION "Desktop updater for in-car navigation units
Signs in with the brand portal's account, finds the unit's memory card,
downloads the newest map package and writes it onto the card. Includes the
tray agent that checks for new versions.")
# The skin's fonts; the web engine's helper process and the display plugins are loaded at run
# time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_MAPVALE_PACKAGE_DEPENDS "fonts-nanum, libqt6webenginecore6-bin, qt6-qpa-plugins")
set(CPACK_DEBIAN_MAPVALE_PACKAGE_RECOMMENDS "pkexec, udisks2, xdg-utils")
set(CPACK_DEBIAN_MAPVALE_PACKAGE_CONTROL_EXTRA "${CMAKE_BINARY_DIR}/debian/conffiles")

set(CPACK_DEBIAN_MAPVALE-SERVERS_PACKAGE_NAME mapvale-servers)
set(CPACK_DEBIAN_MAPVALE-SERVERS_DESCRIPTION "Stand-in servers for the Mapvale updater
Serves a demo world (accounts, map packages, program updates, traffic
information) on loopback, for trying the updater without the maker's servers.")

set(conffiles "")
if(MAPVALE_PACKAGE_MANAGED)
    string(APPEND conffiles "${MAPVALE_CONFIG_DIR}/Servers.ini\n")
    string(APPEND conffiles "${MAPVALE_CONFIG_DIR}/PackageInfo.txt\n")
endif()
if(MAPVALE_UI)
    string(APPEND conffiles "${MAPVALE_AUTOSTART_DIR}/mapvale-tray.desktop\n")
endif()
file(WRITE "${CMAKE_BINARY_DIR}/debian/conffiles" "${conffiles}")

include(CPack)
