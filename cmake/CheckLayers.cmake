# Keeps the libraries depending in one direction:
#
#   core <- platform <- gl, assets <- scene <- world <- app <- program
#
# A folder may include and link only what lies below it (gl and assets are
# side by side and use neither the other). Run as a test:
#
#   cmake -DSOURCE_DIR=<tree> -P cmake/CheckLayers.cmake
#
# It reads every `#include "folder/..."` of the layer folders (their
# sub-folders too), the DEPS of each folder's velmora_library and the order
# of the top CMakeLists.txt's add_subdirectory lines, and fails naming each
# file and line that points up the list.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: SOURCE_DIR is not set")
endif()

set(layers core platform gl assets scene world app program)
set(rank_core 0)
set(rank_platform 1)
set(rank_gl 2)
set(rank_assets 2)
set(rank_scene 3)
set(rank_world 4)
set(rank_app 5)
set(rank_program 6)

set(problems "")

foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources LIST_DIRECTORIES false RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  list(SORT sources)
  foreach(source IN LISTS sources)
    file(STRINGS ${SOURCE_DIR}/${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/")
        continue()
      endif()
      set(target ${CMAKE_MATCH_1})
      if(NOT DEFINED rank_${target} OR target STREQUAL layer)
        continue()
      endif()
      if(rank_${target} GREATER_EQUAL rank_${layer})
        string(STRIP "${line}" line)
        list(APPEND problems "${source}: ${line} (${layer}/ may not include ${target}/)")
      endif()
    endforeach()
  endforeach()
endforeach()

# The libraries each folder links.
foreach(layer IN LISTS layers)
  set(lists ${SOURCE_DIR}/${layer}/CMakeLists.txt)
  if(NOT EXISTS ${lists})
    continue()
  endif()
  file(READ ${lists} text)
  string(REGEX MATCHALL "velmora_library\\([^)]*\\)" calls "${text}")
  foreach(call IN LISTS calls)
    if(NOT call MATCHES "velmora_library\\((velmora_[a-z]+)")
      continue()
    endif()
    set(library ${CMAKE_MATCH_1})
    string(REGEX MATCHALL "velmora_[a-z_]+" deps "${call}")
    list(REMOVE_ITEM deps ${library})
    foreach(dep IN LISTS deps)
      string(REGEX REPLACE "^velmora_" "" dep_layer ${dep})
      if(NOT DEFINED rank_${dep_layer})
        continue()
      endif()
      if(rank_${dep_layer} GREATER_EQUAL rank_${layer})
        list(APPEND problems "${layer}/CMakeLists.txt: ${library} links ${dep}")
      endif()
    endforeach()
  endforeach()
endforeach()

# The folders are added bottom up.
if(EXISTS ${SOURCE_DIR}/CMakeLists.txt)
  file(STRINGS ${SOURCE_DIR}/CMakeLists.txt subdirs REGEX "^add_subdirectory\\(")
  set(last -1)
  set(last_name "")
  foreach(line IN LISTS subdirs)
    if(line MATCHES "^add_subdirectory\\(([a-z]+)\\)" AND DEFINED rank_${CMAKE_MATCH_1})
      set(name ${CMAKE_MATCH_1})
      if(rank_${name} LESS last)
        list(APPEND problems "CMakeLists.txt: add_subdirectory(${name}) comes after add_subdirectory(${last_name})")
      endif()
      set(last ${rank_${name}})
      set(last_name ${name})
    endif()
  endforeach()
endif()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Dependencies that point up the layers:\n  ${text}")
endif()
message(STATUS "The layers depend in one direction")
