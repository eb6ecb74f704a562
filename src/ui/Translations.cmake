# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program's translations (Qt's lupdate and lrelease, package
# qt6-l10n-tools).
#
# `cmake --build BUILD --target vorella_ts` collects every tr() and
# QT_TRANSLATE_NOOP text of the desktop program into the template
# translations/vorella.ts and brings each language's translations/vorella_LANG.ts
# up to date with it. Not part of the ordinary build; run it when texts change
# and commit the result.
#
# Each translations/vorella_LANG.ts becomes vorella_LANG.qm in the build
# tree's bin/translations/ (where the program looks first) and is installed
# to share/vorella/translations/.
find_program(VORELLA_LUPDATE NAMES lupdate lupdate-qt6 PATHS /usr/lib/qt6/bin /usr/lib/qt6/libexec)
find_program(VORELLA_LRELEASE NAMES lrelease lrelease-qt6 PATHS /usr/lib/qt6/bin /usr/lib/qt6/libexec
    REQUIRED)

file(GLOB VORELLA_LANGUAGE_TS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/vorella_*.ts)

if(VORELLA_LUPDATE)
    add_custom_target(vorella_ts
        COMMAND ${VORELLA_LUPDATE} -recursive -no-obsolete -locations relative
                ${CMAKE_CURRENT_SOURCE_DIR}
                -ts ${PROJECT_SOURCE_DIR}/translations/vorella.ts ${VORELLA_LANGUAGE_TS}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        COMMENT "Collecting the desktop program's texts into translations/vorella.ts"
        VERBATIM)
endif()

set(VORELLA_QM_DIR ${VORELLA_BIN_DIR}/translations)
set(qm_files)
foreach(ts IN LISTS VORELLA_LANGUAGE_TS)
    get_filename_component(name ${ts} NAME_WE)
    set(qm ${VORELLA_QM_DIR}/${name}.qm)
    add_custom_command(OUTPUT ${qm}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VORELLA_QM_DIR}
        COMMAND ${VORELLA_LRELEASE} -silent ${ts} -qm ${qm}
        DEPENDS ${ts}
        VERBATIM)
    list(APPEND qm_files ${qm})
endforeach()
add_custom_target(vorella_qm ALL DEPENDS ${qm_files})
install(FILES ${qm_files} DESTINATION ${CMAKE_INSTALL_DATADIR}/vorella/translations)
