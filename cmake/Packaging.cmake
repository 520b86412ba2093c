# Desktop integration and the Debian package.
#
# `cmake --install <build> [--prefix P]` lays out, below the prefix:
#   bin/vhf-dsc-trainer                                  (top CMakeLists.txt)
#   share/vhf-dsc-trainer/sounds/*.wav                   (cmake/Sounds.cmake)
#   share/applications/<id>.desktop                      (menu entry)
#   share/icons/hicolor/scalable/apps/<id>.svg           (icon)
#   share/metainfo/<id>.metainfo.xml                     (AppStream data for software centres)
#   share/man/man1/vhf-dsc-trainer.1.gz                  (manual page, made from --help)
# Every destination is relative, so the same rules serve any prefix and the package's /usr.
#
# `cpack -G DEB` in the build folder makes vhf-dsc-trainer_<version>_<arch>.deb installing under
# /usr. dpkg-shlibdeps works out the packages of the libraries the program links; the Qt plugins
# it loads at run time are named by hand below.

include(GNUInstallDirs)

set(VHF_APP_ID io.github.vhfdsctrainer.VhfDscTrainer)
set(VHF_DESKTOP_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources/desktop)

install(FILES ${VHF_DESKTOP_DIR}/${VHF_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VHF_DESKTOP_DIR}/${VHF_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VHF_DESKTOP_DIR}/${VHF_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page, made at build time from the program's own --help and --version (help2man), so
# that it always lists the options the program has.
find_program(HELP2MAN help2man REQUIRED)
set(VHF_MAN_PAGE ${CMAKE_BINARY_DIR}/vhf-dsc-trainer.1.gz)
add_custom_command(
  OUTPUT ${VHF_MAN_PAGE}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
          ${HELP2MAN} --no-info --section 1 --name "trainer for a marine VHF radio with Digital Selective Calling"
          --output ${CMAKE_BINARY_DIR}/vhf-dsc-trainer.1 $<TARGET_FILE:vhf-dsc-trainer>
  COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/vhf-dsc-trainer.1
  DEPENDS vhf-dsc-trainer
  COMMENT "Making the manual page from --help")
add_custom_target(man-page ALL DEPENDS ${VHF_MAN_PAGE})
install(FILES ${VHF_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ---- CPack: the Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vhf-dsc-trainer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VHF DSC Trainer developers")
set(CPACK_PACKAGE_CONTACT "VHF DSC Trainer developers <maintainers@vhf-dsc-trainer.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trainer for a marine VHF radio with Digital Selective Calling")
# One line of the package's description each (Debian wants them short).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "A desktop trainer modelling the marine VHF radio with Digital Selective\n"
  "Calling (DSC) used in the Global Maritime Distress and Safety System\n"
  "(GMDSS). Students work the channel knob, the 16/9 and power keys and the\n"
  "DSC menus, and compose calls of every category, while two model stations,\n"
  "a coast guard station and a second vessel, show and answer each call.\n"
  "Nothing is transmitted.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${CPACK_PACKAGE_NAME})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt6 Widgets/Gui/Core, libX11, libsamplerate and the C/C++ runtime.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no linker record shows them: libXrandr, opened with the first change of
# the display mode; libsndfile and libpulse-simple (in libpulse0), which the program opens with its
# first cue; libpulse (libpulse0 too), which the receiver opens to list and record sound inputs;
# libmosquitto (2.0 or later: MOSQ_OPT_TLS_USE_OS_CERTS), which it opens when it joins a class;
# libopus, which it opens with the first voice that goes to or comes from a class; and
# pocketsphinx (with sphinxbase and the US English model), flite and its voices, and espeak-ng,
# which it opens with the first transmission recognised or spoken. Qt's X11 platform plugin
# (libqxcb) ships in Debian's libqt6gui6 itself, which dpkg-shlibdeps names already. The pictures
# are built into the program, so no image plugin is needed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libxrandr2, libsndfile1 (>= 1.0.20), libpulse0, libmosquitto1 (>= 2.0), libopus0, libpocketsphinx3, libsphinxbase3, pocketsphinx-en-us, libflite1, libespeak-ng1")
# The channel display's narrow face, Liberation Sans Narrow.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")

include(CPack)
