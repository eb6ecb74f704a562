# The layers of the source tree, checked on every test run:
#   - only the desktop program (src/ui/, its tests under tests/ui/ or
#     tests/*/ui/, and its benchmarks bench/Desktop*, bench/Qt*) includes Qt,
#     so the core and the service build without it;
#   - a lower layer never includes a higher one, and no library links one.
# Layers, lowest first: platform <- config <- modem <- engine <- app <- ui;
# audio and calllog build on platform and config only; notify on those and
# calllog (its mail carries the call record); call screening (screening:
# numbers, contacts, rules, the call history, the decision) on platform and
# config, below the engine that asks it; speech (text spoken for the line)
# on platform, config and audio, below the engine; linesig (line signals heard in
# sound) and the telephony layer (tapi) on platform only; the SIP provider
# (sip) on config (its accounts read through the settings provider), tapi, audio
# and linesig; the engine uses all of them but sip, which only app
# and ui choose, and of which they include only the accounts (sip/SipAccounts.h:
# the provider itself is a plugin they load). The USB adapter (adapter) is a telephone device for the engine's
# worker: it builds on the engine's device seam, audio and linesig, and only
# app and ui use it. The web page (web) builds on the engine (its call events),
# audio, calllog and screening, and only app and ui use it.
# The state of the call in progress is written by the engine alone: outside
# src/engine/, no file of src/ or tools/ names the engine's own access to it
# (CCallState::EngineState, CCallStateData); the others read copies and post
# requests. Tests may play the engine.
# Outside src/platform and src/config no program file opens a settings file
# (ProfileFile): the settings provider of src/config reads and writes them.
# The call log (src/calllog/CallLog.cpp) is the one writer of the call
# folders' indexes: no other program file (src/, tools/) names the index's
# writing functions or saves a whole index.
#
#   cmake -DROOT=<source tree> -P CheckLayers.cmake
#   cmake -DSELFTEST=<scratch folder> -P CheckLayers.cmake
# The self-test builds a small tree that breaks each rule once and expects
# every break to be found, so a checker that finds nothing cannot pass.
cmake_minimum_required(VERSION 3.20)

set(kLayers platform config modem audio speech calllog notify screening linesig tapi sip engine adapter web app ui)
set(kUses_platform platform)
set(kUses_config platform config)
set(kUses_modem platform config modem)
set(kUses_audio platform config audio)
set(kUses_speech platform config audio speech)
set(kUses_calllog platform config calllog)
set(kUses_notify platform config calllog notify)
set(kUses_screening platform config screening)
set(kUses_linesig platform linesig)
set(kUses_tapi platform tapi)
set(kUses_sip platform config audio linesig tapi sip)
set(kUses_engine platform config modem audio speech calllog notify screening linesig tapi engine)
set(kUses_adapter platform config audio linesig engine adapter)
set(kUses_web platform config audio calllog screening engine web)
set(kUses_app platform config modem audio speech calllog notify screening linesig tapi sip engine adapter web app)
set(kUses_ui ${kLayers})

# Appends "file: what" to the list named by out_var for every break in root.
function(check_tree root out_var)
    set(faults "")

    # Qt headers: <QObject>, <QtCore/QObject>, <qobject.h>.
    set(qt_include "^[ \t]*#[ \t]*include[ \t]*[<\"](Qt[A-Za-z]*/|Q[A-Z][A-Za-z]*[>\"]|q[a-z]+\\.h[>\"])")
    file(GLOB_RECURSE sources LIST_DIRECTORIES false RELATIVE "${root}"
        "${root}/src/*" "${root}/tools/*" "${root}/tests/*" "${root}/bench/*" "${root}/fuzz/*")
    list(FILTER sources INCLUDE REGEX "\\.(h|hpp|c|cc|cpp|cxx)$")
    foreach(rel IN LISTS sources)
        if(rel MATCHES "^src/ui/" OR rel MATCHES "^tests/([^/]+/)?ui/" OR
           rel MATCHES "^bench/(Desktop|Qt)[^/]*$")
            continue()
        endif()
        file(STRINGS "${root}/${rel}" lines REGEX "${qt_include}")
        foreach(line IN LISTS lines)
            string(STRIP "${line}" line)
            list(APPEND faults "${rel}: Qt outside src/ui/: ${line}")
        endforeach()
    endforeach()

    # Includes between the layers of src/.
    foreach(rel IN LISTS sources)
        if(NOT rel MATCHES "^src/([^/]+)/")
            continue()
        endif()
        set(layer "${CMAKE_MATCH_1}")
        if(NOT layer IN_LIST kLayers)
            list(APPEND faults "${rel}: src/${layer}/ is no known layer; add it to CheckLayers.cmake")
            continue()
        endif()
        file(STRINGS "${root}/${rel}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line IN LISTS lines)
            string(REGEX MATCH "\"([^\"/]+)/" found "${line}")
            set(used "${CMAKE_MATCH_1}")
            if(used IN_LIST kLayers AND NOT used IN_LIST kUses_${layer})
                string(STRIP "${line}" line)
                list(APPEND faults "${rel}: ${layer} must not include ${used}: ${line}")
            endif()
            # The SIP provider is a plugin the programs load: outside it only
            # the accounts of the settings are known.
            if(used STREQUAL "sip" AND NOT layer STREQUAL "sip" AND
               NOT line MATCHES "\"sip/SipAccounts\\.h\"")
                string(STRIP "${line}" line)
                list(APPEND faults "${rel}: the SIP plugin's own header outside src/sip/: ${line}")
            endif()
        endforeach()
    endforeach()

    # The call state's writers: the engine's files only.
    foreach(rel IN LISTS sources)
        if(NOT rel MATCHES "^(src|tools)/" OR rel MATCHES "^src/engine/")
            continue()
        endif()
        file(STRINGS "${root}/${rel}" lines REGEX "EngineState|CCallStateData")
        foreach(line IN LISTS lines)
            # A ";" would split the report into two list items.
            string(REPLACE ";" "" line "${line}")
            string(STRIP "${line}" line)
            list(APPEND faults "${rel}: writes the call state outside src/engine/: ${line}")
        endforeach()
    endforeach()

    # The profile (INI) functions: src/config reads and writes the settings
    # through its key table; no other layer above the platform calls them.
    set(profile_call "(GetProfileIntFrom|GetProfileStringFrom|WriteProfileStringTo|WriteProfileIntTo)[ \t]*\\(")
    foreach(rel IN LISTS sources)
        if(NOT rel MATCHES "^src/([^/]+)/" OR CMAKE_MATCH_1 STREQUAL "platform" OR
           CMAKE_MATCH_1 STREQUAL "config")
            continue()
        endif()
        file(STRINGS "${root}/${rel}" lines REGEX "${profile_call}")
        foreach(line IN LISTS lines)
            # Only the call is named: a ";" of the line would split the list.
            string(REGEX MATCH "${profile_call}" call "${line}")
            if(call)
                list(APPEND faults "${rel}: profile function outside src/config/: ${call}")
            endif()
        endforeach()
    endforeach()

    # A settings file opened outside src/config: the others read and write the
    # settings through its provider (ISettingsProvider), which also hands out
    # the whole store. Naming the type (a parameter, ProfileFile::ParseInt) is
    # no opening; making one (ProfileFile ini(path), ProfileFile(path)) is.
    set(profile_open "ProfileFile([ \t]+[A-Za-z_][A-Za-z0-9_]*)?[ \t]*[({][^)}]")
    foreach(rel IN LISTS sources)
        if(NOT rel MATCHES "^(src|tools)/" OR rel MATCHES "^src/(platform|config)/")
            continue()
        endif()
        file(STRINGS "${root}/${rel}" lines REGEX "${profile_open}")
        foreach(line IN LISTS lines)
            string(REGEX MATCH "${profile_open}" opened "${line}")
            string(REPLACE ";" "" opened "${opened}")
            list(APPEND faults "${rel}: settings file opened outside src/config/: ${opened}")
        endforeach()
    endforeach()

    # Index writes outside the call log.
    set(index_owners src/calllog/CallLog.cpp src/calllog/IndexFile.h src/calllog/IndexFile.cpp
        src/calllog/DataStructure.h src/calllog/DataStructure.cpp)
    foreach(rel IN LISTS sources)
        if(NOT rel MATCHES "^(src|tools)/" OR rel IN_LIST index_owners)
            continue()
        endif()
        file(READ "${root}/${rel}" text)
        if(text MATCHES "(AppendIndexRecord|UpdateIndexRecord)[ \t]*\\(")
            list(APPEND faults "${rel}: index written outside the call log: ${CMAKE_MATCH_1}")
        elseif(text MATCHES "CDataStructureArray" AND text MATCHES "\\.Save[ \t]*\\(")
            list(APPEND faults "${rel}: index written outside the call log: CDataStructureArray::Save")
        endif()
    endforeach()

    # Libraries: each vorella_library(NAME ... DEPS ...) of src/<layer>/ may
    # link only libraries of the layers it uses.
    file(GLOB lists RELATIVE "${root}" "${root}/src/*/CMakeLists.txt")
    set(libraries "")
    foreach(rel IN LISTS lists)
        string(REGEX MATCH "^src/([^/]+)/" found "${rel}")
        set(layer "${CMAKE_MATCH_1}")
        file(READ "${root}/${rel}" text)
        string(REGEX MATCHALL "vorella_library\\([^)]*\\)" blocks "${text}")
        foreach(block IN LISTS blocks)
            string(REGEX MATCH "vorella_library\\([ \t\r\n]*([A-Za-z0-9_]+)" found "${block}")
            set(lib_layer_${CMAKE_MATCH_1} "${layer}")
            list(APPEND libraries "${CMAKE_MATCH_1}")
            set(block_${CMAKE_MATCH_1} "${block}")
        endforeach()
    endforeach()
    foreach(lib IN LISTS libraries)
        set(layer "${lib_layer_${lib}}")
        string(REGEX MATCHALL "[A-Za-z0-9_]+" words "${block_${lib}}")
        foreach(word IN LISTS words)
            if(DEFINED lib_layer_${word} AND DEFINED kUses_${layer})
                set(used "${lib_layer_${word}}")
                if(NOT used IN_LIST kUses_${layer})
                    list(APPEND faults "src/${layer}/CMakeLists.txt: ${lib} (${layer}) must not link ${word} (${used})")
                endif()
            endif()
        endforeach()
    endforeach()

    set(${out_var} "${faults}" PARENT_SCOPE)
endfunction()

if(DEFINED SELFTEST)
    set(t "${SELFTEST}")
    file(REMOVE_RECURSE "${t}")
    file(WRITE "${t}/src/platform/Clock.h" "#pragma once\n#include <string>\n#include \"platform/Other.h\"\n")
    file(WRITE "${t}/src/config/Settings.cpp" "#include \"config/Settings.h\"\n  #  include <QSettings>\n")
    file(WRITE "${t}/src/engine/Worker.cpp" "#include \"engine/Worker.h\"\n#include \"app/App.h\"\n")
    file(WRITE "${t}/src/audio/Wave.cpp" "#include \"modem/Channel.h\"\n")
    file(WRITE "${t}/src/screening/Decide.cpp" "#include \"config/Settings.h\"\n#include \"engine/CallState.h\"\n")
    file(WRITE "${t}/src/ui/MainWindow.cpp" "#include <QWidget>\n#include \"app/App.h\"\n#include \"engine/Worker.h\"\n")
    file(WRITE "${t}/src/app/Lines.cpp" "#include \"sip/SipAccounts.h\"\n#include \"sip/SipProvider.h\"\n")
    file(WRITE "${t}/src/app/Window.cpp" "int x = GetProfileIntFrom(ini, \"Options\", \"PosX\", 0);\n")
    file(WRITE "${t}/src/config/Store.cpp" "int y = GetProfileIntFrom(ini, \"Options\", \"PosY\", 0);\nProfileFile ini(path);\n")
    file(WRITE "${t}/src/app/Accounts.cpp"
        "#include \"platform/ProfileFile.h\"\nauto a = Read(ProfileFile(GetSettingsPath()));\nint n = ProfileFile::ParseInt(s);\n")
    file(WRITE "${t}/tools/helper/Ini.cpp" "void F(const ProfileFile& ini) {\n    ProfileFile copy{path};\n}\n")
    file(WRITE "${t}/tests/unit/ui/MainWindowTest.cpp" "#include <QtTest/QTest>\n")
    file(WRITE "${t}/tools/helper/Main.cpp" "#include <QtCore/QString>\n#include <qglobal.h>\n#include <queue>\n")
    file(WRITE "${t}/src/app/Control.cpp" "void Stop(CCallState& c) {\n    c.EngineState().bHold = false;\n}\n")
    file(WRITE "${t}/src/engine/Line.cpp" "void Off(CCallState& c) { c.EngineState().bOffHook = false; }\n")
    file(WRITE "${t}/tests/unit/app/WindowTest.cpp" "CCallStateData& engine = calls.EngineState();\n")
    file(WRITE "${t}/src/ui/Recordings.cpp"
        "void Drop(CDataStructureArray& a) {\n    a.Remove(\"x.wav\");\n    a.Save();\n}\n")
    file(WRITE "${t}/tools/helper/Index.cpp" "#include <string>\nvoid F() { UpdateIndexRecord (p, f, c, e); }\n")
    file(WRITE "${t}/src/calllog/CallLog.cpp" "void G() { AppendIndexRecord(p, r, e); }\n")
    file(WRITE "${t}/src/calllog/CMakeLists.txt"
        "vorella_library(vorella_calllog\n    SOURCES Index.cpp\n    DEPS\n        vorella_platform\n        vorella_engine\n)\n")
    file(WRITE "${t}/src/engine/CMakeLists.txt" "vorella_library(vorella_engine SOURCES Worker.cpp DEPS vorella_calllog)\n")
    file(WRITE "${t}/src/platform/CMakeLists.txt" "vorella_library(vorella_platform SOURCES Clock.cpp)\n")
    check_tree("${t}" faults)
    set(expected
        "src/config/Settings.cpp: Qt outside src/ui/"
        "src/engine/Worker.cpp: engine must not include app"
        "src/audio/Wave.cpp: audio must not include modem"
        "src/screening/Decide.cpp: screening must not include engine"
        "src/app/Lines.cpp: the SIP plugin's own header outside src/sip/: #include \"sip/SipProvider.h\""
        "src/app/Window.cpp: profile function outside src/config/"
        "src/app/Accounts.cpp: settings file opened outside src/config/: ProfileFile(G"
        "tools/helper/Ini.cpp: settings file opened outside src/config/: ProfileFile copy{p"
        "tools/helper/Main.cpp: Qt outside src/ui/: #include <QtCore/QString>"
        "tools/helper/Main.cpp: Qt outside src/ui/: #include <qglobal.h>"
        "src/app/Control.cpp: writes the call state outside src/engine/: c.EngineState().bHold"
        "src/calllog/CMakeLists.txt: vorella_calllog (calllog) must not link vorella_engine (engine)"
        "src/ui/Recordings.cpp: index written outside the call log: CDataStructureArray::Save"
        "tools/helper/Index.cpp: index written outside the call log: UpdateIndexRecord")
    list(LENGTH faults found)
    list(LENGTH expected wanted)
    set(ok TRUE)
    foreach(e IN LISTS expected)
        set(hit FALSE)
        foreach(f IN LISTS faults)
            string(FIND "${f}" "${e}" at)
            if(at EQUAL 0)
                set(hit TRUE)
            endif()
        endforeach()
        if(NOT hit)
            message(SEVERE_ERROR "not found: ${e}")
            set(ok FALSE)
        endif()
    endforeach()
    if(NOT found EQUAL wanted)
        string(REPLACE ";" "\n  " shown "${faults}")
        message(SEVERE_ERROR "found ${found} faults, wanted ${wanted}:\n  ${shown}")
        set(ok FALSE)
    endif()
    file(REMOVE_RECURSE "${t}")
    if(NOT ok)
        message(FATAL_ERROR "the layer checker misses faults")
    endif()
    message(STATUS "the layer checker finds every planted fault")
    return()
endif()

if(NOT DEFINED ROOT)
    message(FATAL_ERROR "usage: cmake -DROOT=<source tree> -P CheckLayers.cmake")
endif()
check_tree("${ROOT}" faults)
if(faults)
    string(REPLACE ";" "\n  " shown "${faults}")
    message(FATAL_ERROR "layering broken:\n  ${shown}")
endif()
message(STATUS "layers in order")
