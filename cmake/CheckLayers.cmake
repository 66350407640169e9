# Checks that the program's includes point one way. Run as a script:
#   cmake -DSOURCE_DIR=<src> [-DCORE_SOURCES_FILE=<file>] [-DSTAMP=<file>] -P CheckLayers.cmake
#
# The layers, lowest first; a file (header or source) may include its own layer and those below it:
#   base/        the date-time value and what every subsystem shares
#   platform/    the platform services' interfaces and their posix/ and win32/ implementations
#   components/ timesync/ worldmap/ calendar/   the subsystems
#   app/         the program: the main window, the settings unit, the tick
# Besides, no core file includes a Qt header (<QString>, <QtCore/qglobal.h>, <qglobal.h>) or a header
# of platform/qt/, and no platform file (platform/qt/ included) includes an app/ one. A file is a
# user-interface one when it lies under platform/qt/, or when it lies outside platform/ and its .cpp
# (a header's namesake, a source itself) is not among the core library's sources (the lines of
# CORE_SOURCES_FILE); app/ user-interface files are the top and are not checked.
# Fails, naming every offending line, when any rule is broken.

cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not set")
endif()

set(core_sources "")
if(CORE_SOURCES_FILE)
    file(STRINGS "${CORE_SOURCES_FILE}" core_sources)
endif()

set(subsystems components timesync worldmap calendar)
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
list(SORT files)
set(problems "")
foreach(file IN LISTS files)
    string(REGEX REPLACE "/.*" "" layer "${file}")
    string(REGEX REPLACE "\\.h$" ".cpp" source "${SOURCE_DIR}/${file}")
    set(ui FALSE)
    if(file MATCHES "^platform/qt/")
        set(ui TRUE)
    elseif(NOT layer STREQUAL "platform" AND EXISTS "${source}" AND NOT source IN_LIST core_sources)
        set(ui TRUE)
    endif()
    if(ui AND layer STREQUAL "app")
        continue()
    endif()

    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*" "\\1" target "${line}")
        string(REGEX REPLACE "/.*" "" targetLayer "${target}")
        set(why "")
        if(NOT ui AND target MATCHES "^(Q[A-Za-z0-9_]*(/.*)?|qt[a-z0-9_]*(/.*)?|q[a-z0-9_]*\\.h)$")
            set(why "a core file includes a Qt header")
        elseif(NOT ui AND target MATCHES "^platform/qt/")
            set(why "a core file includes a user-interface header")
        elseif(NOT layer STREQUAL "app" AND targetLayer STREQUAL "app")
            set(why "only app/ may include app/ headers")
        elseif(layer STREQUAL "base" AND (targetLayer STREQUAL "platform" OR targetLayer IN_LIST subsystems))
            set(why "base/ includes nothing else of the program")
        elseif(layer STREQUAL "platform" AND targetLayer IN_LIST subsystems AND NOT ui)
            set(why "platform services do not include the subsystems above them")
        endif()
        if(why)
            list(APPEND problems "${file}: #include ${target}: ${why}")
        endif()
    endforeach()
endforeach()

if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Includes pointing the wrong way:\n  ${text}")
endif()
if(STAMP)
    file(TOUCH "${STAMP}")
endif()
