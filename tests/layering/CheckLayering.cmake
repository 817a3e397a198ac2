# Fails when a file under src/ includes a module above its own. Modules of one
# level may include each other (the surrogates use the designs of experiments);
# a module missing from the table fails too, so that a new one gets its place.
#
#   platform, common, linalg   the OS, shared value types, LAPACK/BLAS
#   report                     run report and status line
#   engine                     engine core, step protocol, engine-factory interface
#   gradient lp direct ga doe rsm   engines, designs, surrogates
#   managers reliability       surrogate-based optimisation, reliability services
#   session                    the builder table and the engine factory behind it
#   api                        zelkor.h and the exported functions
#   cli                        the command-line tool, a host of the public header
#
# common may include platform (the random source reads the clock); that is the one
# ordering inside the lowest level. One include up is allowed: the session module
# defines OptEngineMain, which the public header declares for hosts, so session
# files may include api/zelkor.h and nothing else of api. Every module may include
# api/zelkor_dataset.h: the public data-set types, which include only the
# standard library.
#
# Usage: cmake -DSOURCE_DIR=<project root> -P CheckLayering.cmake
cmake_minimum_required(VERSION 3.18)
set(level_platform 0)
set(level_common 1)
set(level_linalg 1)
set(level_report 2)
set(level_engine 3)
foreach(module gradient lp direct ga doe rsm)
  set(level_${module} 4)
endforeach()
set(level_managers 5)
set(level_reliability 5)
set(level_session 6)
set(level_api 7)
set(level_cli 8)
set(allowed_up_session "api/zelkor.h")

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}/src
  ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.hpp ${SOURCE_DIR}/src/*.c ${SOURCE_DIR}/src/*.cpp)
if(NOT files)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}/src")
endif()
set(violations "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" module "${file}")
  if(NOT DEFINED level_${module})
    string(APPEND violations "\n  src/${file}: module ${module} has no level in CheckLayering.cmake")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+/")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "\"([^\"/]+)/[^\"]*\"" header "${line}")
    set(target "${CMAKE_MATCH_1}")
    string(REPLACE "\"" "" path "${header}")
    if(path IN_LIST allowed_up_${module} OR path STREQUAL "api/zelkor_dataset.h")
      continue()
    endif()
    if(DEFINED level_${target} AND level_${target} GREATER level_${module})
      string(APPEND violations
        "\n  src/${file} includes ${header}: ${module} (level ${level_${module}}) is below ${target} (level ${level_${target}})")
    endif()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "includes that point up the module order:${violations}")
endif()
list(LENGTH files count)
message(STATUS "layering: ${count} files, every include points down or sideways")
