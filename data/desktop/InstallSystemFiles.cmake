# SPDX-License-Identifier: GPL-3.0-or-later
# Runs at install time (cmake --install), when the prefix is known: writes
# the systemd user unit with the service's full path and puts the udev rule
# in place, both under the prefix given then (and DESTDIR).
foreach(var VORELLA_UNIT_DIR VORELLA_BINDIR VORELLA_UDEV_DIR)
    if(NOT IS_ABSOLUTE "${${var}}")
        set(${var} "${CMAKE_INSTALL_PREFIX}/${${var}}")
    endif()
endforeach()

file(READ "${VORELLA_UNIT_SOURCE}" unit)
string(REGEX REPLACE "\nExecStart=[^\n]*" "\nExecStart=${VORELLA_BINDIR}/vorellad" unit "${unit}")
set(unit_file "$ENV{DESTDIR}${VORELLA_UNIT_DIR}/vorellad.service")
message(STATUS "Installing: ${unit_file}")
file(WRITE "${unit_file}" "${unit}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${unit_file}")

file(INSTALL DESTINATION "${VORELLA_UDEV_DIR}" TYPE FILE FILES "${VORELLA_UDEV_RULE}")
get_filename_component(udev_dir "${VORELLA_UDEV_DIR}" REALPATH)
if(NOT udev_dir MATCHES "^(/usr/lib|/lib|/etc)/udev/rules\\.d$")
    get_filename_component(rule "${VORELLA_UDEV_RULE}" NAME)
    message(STATUS "udev reads no rules from ${VORELLA_UDEV_DIR}: to keep ModemManager "
                   "off the voice modems, copy ${rule} from there to /etc/udev/rules.d/ and run "
                   "'sudo udevadm control --reload'")
endif()
