# SPDX-License-Identifier: GPL-3.0-or-later
# The translation catalogue template: `cmake --build BUILD --target
# vorella_ts` collects every tr() text of the desktop program into
# translations/vorella.ts with Qt's lupdate (package qt6-l10n-tools). Not part
# of the ordinary build; run it when texts change and commit the result.
find_program(VORELLA_LUPDATE NAMES lupdate lupdate-qt6 PATHS /usr/lib/qt6/bin /usr/lib/qt6/libexec)
if(VORELLA_LUPDATE)
    add_custom_target(vorella_ts
        COMMAND ${VORELLA_LUPDATE} -recursive -no-obsolete -locations relative
                ${CMAKE_CURRENT_SOURCE_DIR} -ts ${PROJECT_SOURCE_DIR}/translations/vorella.ts
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        COMMENT "Collecting the desktop program's texts into translations/vorella.ts"
        VERBATIM)
endif()
