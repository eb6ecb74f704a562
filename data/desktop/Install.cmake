# SPDX-License-Identifier: GPL-3.0-or-later
# Where the desktop and the system find Vorella: the desktop entry, the
# application icon, the AppStream description, the systemd user unit of the
# service and the udev rule that keeps ModemManager off the voice modems.
set(VORELLA_SYSTEMD_USER_UNIT_DIR "${CMAKE_INSTALL_PREFIX}/lib/systemd/user"
    CACHE PATH "Where the systemd user unit of vorellad goes")
set(VORELLA_UDEV_RULES_DIR "${CMAKE_INSTALL_PREFIX}/lib/udev/rules.d"
    CACHE PATH "Where the udev rule for the voice modems goes")

set(desktop ${CMAKE_CURRENT_SOURCE_DIR}/desktop)
install(FILES ${desktop}/vorella.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${desktop}/org.example.vorella.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${desktop}/icons/vorella.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${desktop}/icons/vorella-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME vorella.png)
endforeach()

# systemd wants the program by its full path; the unit in the source tree
# names it bare for people who copy it by hand with vorellad on their PATH.
set(unit_source ${CMAKE_CURRENT_SOURCE_DIR}/systemd/vorellad.service)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${unit_source})
file(READ ${unit_source} unit)
string(REGEX REPLACE "\nExecStart=[^\n]*" "\nExecStart=${CMAKE_INSTALL_FULL_BINDIR}/vorellad"
       unit "${unit}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/vorellad.service "${unit}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vorellad.service
        DESTINATION ${VORELLA_SYSTEMD_USER_UNIT_DIR})

install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/udev/60-vorella-modems.rules
        DESTINATION ${VORELLA_UDEV_RULES_DIR})
