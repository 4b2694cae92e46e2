# What `cmake --install` puts beside the program folder <prefix>/lib/mapvale: links in bin/, the
# desktop entries and icons, the tray agent's autostart entry and the documentation. Everything
# goes to the component `mapvale` unless it says otherwise.

set(MAPVALE_INSTALL_FULL_DIR "${CMAKE_INSTALL_PREFIX}/${MAPVALE_INSTALL_DIR}")
set(MAPVALE_AUTOSTART_DIR "${CMAKE_INSTALL_FULL_SYSCONFDIR}/xdg/autostart")
set(MAPVALE_CONFIG_DIR "${CMAKE_INSTALL_FULL_SYSCONFDIR}/mapvale")

# mapvale_install_link(<folder under the prefix> <name> <absolute target> <component>)
# A relative link, so a DESTDIR staging or a moved prefix still resolves it; the programs find
# their folder through /proc/self/exe, which resolves the links in bin/.
function(mapvale_install_link folder name target_path component)
    file(RELATIVE_PATH target "${CMAKE_INSTALL_PREFIX}/${folder}" "${target_path}")
    install(CODE "
        set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}/${name}\")
        file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${folder}\")
        message(STATUS \"Installing: \${link} -> ${target}\")
        file(CREATE_LINK \"${target}\" \"\${link}\" SYMBOLIC)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${link}\")"
        COMPONENT ${component})
endfunction()

# mapvale_install_program_link(<name in bin/> <program> <component>)
function(mapvale_install_program_link name program component)
    mapvale_install_link("${CMAKE_INSTALL_BINDIR}" "${name}" "${MAPVALE_INSTALL_FULL_DIR}/${program}"
                         ${component})
endfunction()

mapvale_install_program_link(mapvale-cli mapvale-cli mapvale)
if(TARGET mapvale-servers)
    mapvale_install_program_link(mapvale-servers mapvale-servers mapvale-servers)
endif()

if(MAPVALE_UI)
    mapvale_install_program_link(mapvale Mapvale mapvale)
    mapvale_install_program_link(mapvale-tray MapvaleTray mapvale)

    # The entries name the programs by their absolute installed paths: no field codes, since
    # any argument ends the updater.
    set(MAPVALE_UPDATER_PATH "${MAPVALE_INSTALL_FULL_DIR}/Mapvale")
    set(MAPVALE_TRAY_PATH "${MAPVALE_INSTALL_FULL_DIR}/MapvaleTray")
    set(desktop "${PROJECT_SOURCE_DIR}/resources/desktop")
    configure_file("${desktop}/mapvale.desktop.in" "${CMAKE_BINARY_DIR}/desktop/mapvale.desktop"
                   @ONLY)
    configure_file("${desktop}/mapvale-tray.desktop.in"
                   "${CMAKE_BINARY_DIR}/desktop/mapvale-tray.desktop" @ONLY)
    install(FILES "${CMAKE_BINARY_DIR}/desktop/mapvale.desktop"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT mapvale)
    # At logon, in place of the Windows Run key. Only /etc/xdg (prefix /usr) is read by session
    # managers; under another prefix the entry is installed but stays inactive.
    install(FILES "${CMAKE_BINARY_DIR}/desktop/mapvale-tray.desktop"
            DESTINATION "${MAPVALE_AUTOSTART_DIR}" COMPONENT mapvale)
    # Drawn by tools/skin-painter from the skin's icons 128 (updater) and 154 (tray agent).
    install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/icons/hicolor"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons" COMPONENT mapvale)
endif()

# Debian's place for the changes: compressed without a time stamp, so every build is the same.
set(changelog "${CMAKE_BINARY_DIR}/desktop/changelog.gz")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/desktop")
execute_process(COMMAND gzip -9nc "${PROJECT_SOURCE_DIR}/resources/desktop/changelog"
                OUTPUT_FILE "${changelog}" COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             "${PROJECT_SOURCE_DIR}/resources/desktop/changelog")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/resources/desktop/copyright"
              "${changelog}"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/mapvale" COMPONENT mapvale)
if(TARGET mapvale-servers)
    install(FILES "${PROJECT_SOURCE_DIR}/tools/mapvale-servers/README.md"
                  "${PROJECT_SOURCE_DIR}/resources/desktop/copyright" "${changelog}"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/mapvale-servers" COMPONENT mapvale-servers)
endif()

if(MAPVALE_PACKAGE_MANAGED)
    # The package manager owns the program folder: the programs leave their self-update to it.
    install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/package-managed"
            DESTINATION "${MAPVALE_INSTALL_DIR}/Info" COMPONENT mapvale)
    # The server hosts are the administrator's (a conffile); the program folder links to them.
    install(FILES "${PROJECT_SOURCE_DIR}/resources/Info/Servers.ini"
            DESTINATION "${MAPVALE_CONFIG_DIR}" COMPONENT mapvale)
    mapvale_install_link("${MAPVALE_INSTALL_DIR}/Info" Servers.ini "${MAPVALE_CONFIG_DIR}/Servers.ini"
                         mapvale)

    # The updater will not start without the package list, and a packaged install never receives
    # one through its self-update. It belongs with the server hosts: the categories are the
    # content servers' own. The default is the list of the stand-in servers' demo world, the only
    # content servers this project knows; an administrator pointing the hosts elsewhere replaces it.
    if(NOT TARGET mapvale-servers)
        message(FATAL_ERROR "A package-managed install ships the stand-in world's package list: "
                            "it needs the mapvale-servers program")
    endif()
    set(world "${CMAKE_BINARY_DIR}/package-world")
    set(package_list "${world}/program/Info/PackageInfo.txt")
    add_custom_command(OUTPUT "${package_list}"
                       COMMAND "${CMAKE_COMMAND}" -E rm -rf "${world}"
                       COMMAND mapvale-servers world --out "${world}"
                       DEPENDS mapvale-servers
                       COMMENT "The stand-in world's package list for /etc/mapvale")
    add_custom_target(mapvale_package_list ALL DEPENDS "${package_list}")
    install(FILES "${package_list}" DESTINATION "${MAPVALE_CONFIG_DIR}" COMPONENT mapvale)
    mapvale_install_link("${MAPVALE_INSTALL_DIR}/Info" PackageInfo.txt "${MAPVALE_CONFIG_DIR}/PackageInfo.txt"
                         mapvale)
endif()
