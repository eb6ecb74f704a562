# Common compile options for every target of the project.
add_library(vorella_options INTERFACE)
target_compile_options(vorella_options INTERFACE -Wall -Wextra -Wpedantic)
if(VORELLA_WERROR)
    target_compile_options(vorella_options INTERFACE -Werror)
endif()
if(VORELLA_SANITIZE)
    target_compile_options(vorella_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(vorella_options INTERFACE -fsanitize=address,undefined)
endif()
if(VORELLA_SANITIZE_THREAD)
    # ThreadSanitizer cannot share a process with AddressSanitizer. -O1 keeps
    # the instrumented stories fast enough to run on every test run.
    if(VORELLA_SANITIZE)
        message(FATAL_ERROR "VORELLA_SANITIZE_THREAD and VORELLA_SANITIZE exclude each other")
    endif()
    target_compile_options(vorella_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer -O1)
    target_link_options(vorella_options INTERFACE -fsanitize=thread)
endif()
find_package(Threads REQUIRED)
target_link_libraries(vorella_options INTERFACE Threads::Threads)

# vorella_library(NAME SOURCES... DEPS...): one library per subsystem folder.
function(vorella_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC vorella_options ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()
