# Fails when a file outside src/ui includes Qt: the core, the engine and the
# service build and run without it.
# cmake -DSOURCE_DIR=<repository> -P QtOnlyInUi.cmake
file(GLOB_RECURSE sources "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
set(offenders "")
foreach(source IN LISTS sources)
    if(source MATCHES "/src/ui/")
        continue()
    endif()
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]+|qt[a-z]*)[/.>\"]")
    if(lines)
        list(APPEND offenders "${source}: ${lines}")
    endif()
endforeach()
if(offenders)
    list(JOIN offenders "\n" text)
    message(FATAL_ERROR "Qt outside src/ui:\n${text}")
endif()
