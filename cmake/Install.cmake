# Installing Velmora and packaging it for Debian.
#
#   cmake --install build [--prefix /usr]        # /usr/local by default; DESTDIR stages
#   cd build && cpack -G DEB                     # velmora_<version>_<arch>.deb
#
# What goes where (under the prefix):
#   bin/velmora                                  the program
#   libexec/xscreensaver/velmora                 link to it, where the daemon looks for modules
#   share/xscreensaver/config/velmora.xml        its page in the daemon's settings program
#   share/applications/velmora.desktop           the settings window in the menus
#   share/icons/hicolor/scalable/apps/velmora.svg
#   share/man/man6/velmora.6                     the manual page
#   share/velmora/Help.html                      the help page the settings window opens
#   share/doc/velmora/README.md
include(GNUInstallDirs)

set(VELMORA_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/velmora)
set(VELMORA_MODULE_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The daemon's module is a relative link, so a staged or packaged tree
# keeps working wherever it lands.
file(RELATIVE_PATH velmora_module_target "/${VELMORA_MODULE_DIR}" "/${CMAKE_INSTALL_BINDIR}/velmora")
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ${velmora_module_target} ${CMAKE_BINARY_DIR}/install-links/velmora SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/velmora DESTINATION ${VELMORA_MODULE_DIR})

install(FILES data/desktop/velmora.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)
install(FILES data/desktop/velmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/velmora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/velmora.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES docs/Help.html DESTINATION ${VELMORA_SHARE_DIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

# The program finds its help page next to itself (the build tree) or in
# the installed share folder, named relative to its own folder.
file(RELATIVE_PATH velmora_share_from_bin "/${CMAKE_INSTALL_BINDIR}" "/${VELMORA_SHARE_DIR}")
target_compile_definitions(velmora_app PRIVATE VELMORA_SHARE_FROM_BIN="${velmora_share_from_bin}/")
configure_file(docs/Help.html ${CMAKE_BINARY_DIR}/app/Help.html COPYONLY)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Ostrevin")
set(CPACK_PACKAGE_CONTACT "Velmora developers <velmora@ostrevin.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated underwater world as a screen saver")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Velmora draws tinted, fogged water with light rays and moving caustics, rising bubbles, schools of fish, "
    "a three-dimensional clock and a digital clock, with looping water sounds, in OpenGL. It runs as a module "
    "of the XScreenSaver daemon, as a full-screen saver of its own or as a program, and has a settings window "
    "with a live preview.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
# The dependencies are the shared libraries the program links, as
# dpkg-shlibdeps finds them, and the OpenGL library that SDL loads at run
# time (which no link shows).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver")
set(CPACK_STRIP_FILES ON)
include(CPack)
