# The Debian package built, installed on this machine, its installed trainer run and switched off,
# and the package removed again (tests/deb/test-deb-install.sh). It installs into /usr, so it runs
# alone; without root or password-less sudo it is skipped. Sanitized builds make no package.
if(NOT VHF_SANITIZE)
  add_test(NAME deb_install
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/deb/test-deb-install.sh
                   ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} $<TARGET_FILE:vhf-dsc-trainer>)
  set_tests_properties(deb_install PROPERTIES
                       RUN_SERIAL TRUE
                       TIMEOUT 600
                       SKIP_RETURN_CODE 77
                       LABELS package)
endif()
