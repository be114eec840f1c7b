# velmora_library(NAME DIR [DEPS...])
# One library per folder, built from the folder's .cpp files (and those of
# the sub-folders named in SUBDIRS). A folder without sources yet gives an
# interface library, so the tree configures while it grows.
function(velmora_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(sub IN LISTS ARG_SUBDIRS)
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  list(FILTER sources EXCLUDE REGEX ".*/main\\.cpp$")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# velmora_test(NAME DIR DEPS...)
# One GoogleTest executable per test folder, its cases registered with CTest.
function(velmora_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  # The launcher sets the headless drivers (a list in ENVIRONMENT would not
  # survive test discovery).
  set_target_properties(test_${name} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tests/headless.sh)
  include(GoogleTest)
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60)
endfunction()

# velmora_wayland_protocol(NAME XML...)
# A static library of Wayland protocols' client glue, made from their XML
# by wayland-scanner at build time; NAME's include holds the headers, named
# after the XML files (foo.xml -> foo-client-protocol.h).
function(velmora_wayland_protocol name)
  find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)
  pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${name})
  set(files)
  foreach(xml IN LISTS ARGN)
    get_filename_component(base ${xml} NAME_WE)
    add_custom_command(
      OUTPUT ${out}/${base}-client-protocol.h ${out}/${base}-protocol.c
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
      COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${out}/${base}-client-protocol.h
      COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${out}/${base}-protocol.c
      DEPENDS ${xml}
      VERBATIM)
    list(APPEND files ${out}/${base}-protocol.c ${out}/${base}-client-protocol.h)
  endforeach()
  add_library(${name} STATIC ${files})
  target_include_directories(${name} PUBLIC ${out})
  target_link_libraries(${name} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()
