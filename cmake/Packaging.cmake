# The Debian package: `cpack -G DEB` in a configured build tree (scripts/package.sh does it on a
# release build). It installs below /usr; the program finds its resources in /usr/share/quillory.
set(CPACK_PACKAGE_NAME "quillory")
set(CPACK_PACKAGE_VENDOR "The Quillory developers")
set(CPACK_PACKAGE_CONTACT "The Quillory developers <developers@quillory.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration and service tool for thermal label printers")
# Lines of the long description stay within 79 characters (lintian counts the leading blank).
set(CPACK_PACKAGE_DESCRIPTION
    "Quillory sets up thermal label printers that speak one of the command\n"
    "languages VKLZ, VKLE, VKLT, VKLA or VKLC, attached over a serial or\n"
    "parallel port, USB, a CUPS queue or the network: print settings, the\n"
    "parameter memory (EEPROM) with backups, the network interface, service\n"
    "actions and test labels, a raw debug terminal, file download and the\n"
    "display logo.\n"
    "The package holds the desktop program (quillory), its command line\n"
    "(quillory-cli) and a virtual printer (quillory-printer-sim) to try\n"
    "everything without a printer.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/package")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# The libraries the binaries link (Qt, QScintilla, CUPS, libusb, TinyXML-2 ...) come from
# dpkg-shlibdeps; what is only started or loaded at run time is listed here:
#   cups-client                 lpadmin for Driver/Setup and Driver/Uninstall
#   libcups2                    the driver port (loaded when a print queue is first used)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "cups-client, libcups2")
# Wanted on a desktop, but the program runs without them:
#   fonts-noto-cjk              the Chinese screen texts (about 90 MB; boxes without it)
#   qt6-image-formats-plugins   TIFF pictures for the display logo (BMP, JPEG, PNG work without)
#   qt6-wayland                 a native window on Wayland desktops (X11 works without it)
#   xdg-utils                   opening the user guide in the desktop's browser
#   qt6-translations-l10n       Qt's own texts (message-box buttons, file dialogs) in Chinese
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-image-formats-plugins, qt6-wayland, xdg-utils, qt6-translations-l10n")
#   cups                        a local print service for the driver port
#   zenity | kdialog            the small windows of Driver/Setup started from the desktop
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cups, zenity | kdialog")
# postinst applies the udev rule to printers already plugged in, postrm takes it back.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/debian/postinst"
                                       "${CMAKE_CURRENT_LIST_DIR}/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
