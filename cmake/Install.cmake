# Installing Velmora and packaging it for Debian.
#
#   cmake --install build [--prefix /usr]        # /usr/local by default; DESTDIR stages
#   cd build && cpack -G DEB                     # velmora_<version>_<arch>.deb
#
# What goes where (under the prefix):
#   bin/velmora                                  the program
#   bin/velmora-rfa                              the archive tool, for scene packs
#   libexec/xscreensaver/velmora                 link to it, where the daemon looks for modules
#   share/xscreensaver/config/velmora.xml        its page in the daemon's settings program
#   share/applications/velmora.desktop           the settings window in the menus
#   share/icons/hicolor/scalable/apps/velmora.svg
#   share/icons/hicolor/NxN/apps/velmora.png     N = 48, 64, 128, 256, drawn from the SVG
#   share/man/man6/velmora.6.gz                  the manual pages
#   share/man/man1/velmora-rfa.1.gz
#   share/velmora/Help.html                      the help page the settings window opens
#   share/velmora/data.rfa                       the archive the program carries, to start packs from
#   share/doc/velmora/README.md, docs/           the README with its pictures
#   share/doc/velmora/copyright                  the licences (Debian's machine-readable form)
#   share/doc/velmora/changelog.gz               CHANGELOG.md as a Debian changelog
#
# The manual pages carry the version and the release date (VELMORA_RELEASE_DATE);
# everything compressed is compressed with gzip -9n, so the same sources
# give the same bytes.
include(GNUInstallDirs)

set(VELMORA_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/velmora)
set(VELMORA_MODULE_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The installed programs resolve every symbol at start, so the relocations
# can be read-only from then on (Debian's hardening, which lintian asks
# about); the archive tool's own code uses the checked C library calls
# where it is optimised (they need the optimiser).
foreach(program velmora rfa)
  target_link_options(${program} PRIVATE -Wl,-z,relro,-z,now)
endforeach()
target_compile_definitions(rfa PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)

# The daemon's module is a relative link, so a staged or packaged tree
# keeps working wherever it lands.
file(RELATIVE_PATH velmora_module_target "/${VELMORA_MODULE_DIR}" "/${CMAKE_INSTALL_BINDIR}/velmora")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ${velmora_module_target} ${CMAKE_BINARY_DIR}/install-links/velmora SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/velmora DESTINATION ${VELMORA_MODULE_DIR})

install(FILES data/desktop/velmora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES data/desktop/velmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/velmora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/Help.html DESTINATION ${VELMORA_SHARE_DIR})

# The archive tool under a name of its own (the build tree keeps tools/rfa
# as a link to it).
install(TARGETS rfa RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/data/data.rfa DESTINATION ${VELMORA_SHARE_DIR})

find_program(VELMORA_GZIP gzip REQUIRED)
set(velmora_docs ${CMAKE_BINARY_DIR}/docs)
file(MAKE_DIRECTORY ${velmora_docs})
# velmora_gzip(OUT IN): OUT is IN compressed reproducibly.
function(velmora_gzip out in)
  add_custom_command(OUTPUT ${out}
    COMMAND sh -c "\"$1\" -9nc \"$2\" > \"$3\"" sh ${VELMORA_GZIP} ${in} ${out}
    DEPENDS ${in} VERBATIM)
endfunction()

# The manual pages with the version and release date filled in.
foreach(page velmora.6 velmora-rfa.1)
  configure_file(docs/${page} ${velmora_docs}/${page} @ONLY)
  velmora_gzip(${velmora_docs}/${page}.gz ${velmora_docs}/${page})
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${velmora_docs}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# The changelog: CHANGELOG.md's releases in Debian's form. Its newest
# release is this one.
file(STRINGS ${CMAKE_SOURCE_DIR}/CHANGELOG.md velmora_release REGEX "^## " LIMIT_COUNT 1)
if(NOT velmora_release STREQUAL "## ${PROJECT_VERSION} - ${VELMORA_RELEASE_DATE}")
  message(FATAL_ERROR "CHANGELOG.md's newest release is \"${velmora_release}\", not "
                      "\"## ${PROJECT_VERSION} - ${VELMORA_RELEASE_DATE}\" (VERSION and VELMORA_RELEASE_DATE)")
endif()
set(velmora_contact "Velmora developers <velmora@ostrevin.invalid>")
add_custom_command(OUTPUT ${velmora_docs}/changelog
  COMMAND sh ${CMAKE_SOURCE_DIR}/tools/debian-changelog.sh ${CMAKE_SOURCE_DIR}/CHANGELOG.md velmora
          ${velmora_contact} ${velmora_docs}/changelog
  DEPENDS ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/tools/debian-changelog.sh VERBATIM)
velmora_gzip(${velmora_docs}/changelog.gz ${velmora_docs}/changelog)

# The icon as pictures for desktops that want them, drawn from the SVG.
find_program(VELMORA_RSVG_CONVERT rsvg-convert)
if(NOT VELMORA_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert draws the icon's pictures: install the package librsvg2-bin")
endif()
set(velmora_icons)
foreach(size 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/velmora.png)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/icons/${size}x${size})
  add_custom_command(OUTPUT ${png}
    COMMAND ${VELMORA_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/data/desktop/velmora.svg
    DEPENDS ${CMAKE_SOURCE_DIR}/data/desktop/velmora.svg VERBATIM)
  list(APPEND velmora_icons ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

add_custom_target(velmora_install_files ALL
  DEPENDS ${velmora_docs}/velmora.6.gz ${velmora_docs}/velmora-rfa.1.gz ${velmora_docs}/changelog.gz ${velmora_icons})

# The README with the pictures it shows, and the licences.
set(velmora_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velmora)
install(FILES README.md docs/copyright ${velmora_docs}/changelog.gz DESTINATION ${velmora_doc_dir})
file(GLOB velmora_pictures CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.png ${CMAKE_SOURCE_DIR}/docs/*.jpg)
install(FILES ${velmora_pictures} DESTINATION ${velmora_doc_dir}/docs)

# The program finds its help page next to itself (the build tree) or in
# the installed share folder, named relative to its own folder.
file(RELATIVE_PATH velmora_share_from_bin "/${CMAKE_INSTALL_BINDIR}" "/${VELMORA_SHARE_DIR}")
target_compile_definitions(velmora_app PRIVATE VELMORA_SHARE_FROM_BIN="${velmora_share_from_bin}/")
configure_file(docs/Help.html ${CMAKE_BINARY_DIR}/app/Help.html COPYONLY)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Ostrevin")
set(CPACK_PACKAGE_CONTACT "${velmora_contact}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated underwater world as a screen saver")
# Debian's description lines stay within 80 columns: the lines are given
# as they are to be shown.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Velmora draws tinted, fogged water with light rays and moving caustics,\n"
    "rising bubbles, schools of fish, a three-dimensional clock and a digital\n"
    "clock, with looping water sounds, in OpenGL. It runs as a module of the\n"
    "XScreenSaver daemon, as a full-screen saver of its own or as a program,\n"
    "and has a settings window with a live preview.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
# The dependencies are the shared libraries the program links, as
# dpkg-shlibdeps finds them, and the OpenGL library that SDL loads at run
# time (which no link shows).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
set(CPACK_STRIP_FILES ON)
include(CPack)
