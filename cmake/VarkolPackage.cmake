# The Debian package (cpack -G DEB, the `package` target, ./scripts/package):
# varkol_<version>_amd64.deb with what the install rules put under /usr. Its
# library dependencies are computed from the binaries by dpkg-shlibdeps. No
# maintainer scripts: Debian's triggers refresh the desktop, MIME and icon
# databases when the package's files come or go.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varkol)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Varkol")
set(CPACK_PACKAGE_CONTACT "Varkol developers <varkol@varkol.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PID tuning workstation")
set(CPACK_PACKAGE_DESCRIPTION
    "Varkol is a desktop workstation with which a control engineer tunes the PID
controllers of a process plant: it connects to the plant over OPC, runs step
tests on one control loop, identifies first-order-plus-dead-time models of the
process, computes P, I, PI and PID settings by six tuning rules, simulates the
loop, writes the settings into the controller and documents the experiment in
a report. Without a plant, every step runs on a built-in process simulation.
varkol-cli runs the same computations without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Qt's own dialogs in Slovenian.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
