# SPDX-License-Identifier: GPL-3.0-or-later
# Where the desktop and the system find Vorella: the desktop entry, the
# application icon, the AppStream description, the systemd user unit of the
# service and the udev rule that keeps ModemManager off the voice modems.
# Relative folders are taken under the prefix given at install time
# (`cmake --install BUILD --prefix /usr`), as every other file is.
set(VORELLA_SYSTEMD_USER_UNIT_DIR "lib/systemd/user"
    CACHE PATH "Where the systemd user unit of vorellad goes")
set(VORELLA_UDEV_RULES_DIR "lib/udev/rules.d"
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

# systemd wants the program by its full path, known only at install time;
# the unit in the source tree names it bare for people who copy it by hand
# with vorellad on their PATH. udev reads rules from /usr/lib, /lib and
# /etc only: under another prefix the install says where to copy the rule.
install(CODE "
    set(VORELLA_UNIT_SOURCE \"${CMAKE_CURRENT_SOURCE_DIR}/systemd/vorellad.service\")
    set(VORELLA_UNIT_DIR \"${VORELLA_SYSTEMD_USER_UNIT_DIR}\")
    set(VORELLA_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(VORELLA_UDEV_RULE \"${CMAKE_CURRENT_SOURCE_DIR}/udev/60-vorella-modems.rules\")
    set(VORELLA_UDEV_DIR \"${VORELLA_UDEV_RULES_DIR}\")")
install(SCRIPT ${CMAKE_CURRENT_SOURCE_DIR}/desktop/InstallSystemFiles.cmake)
