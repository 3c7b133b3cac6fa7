# The Debian package: cpack -G DEB in the build folder (scripts/package.sh).
# Its run-time dependencies come from dpkg-shlibdeps reading the program's
# linked libraries; only what is loaded by name at run time, and so cannot
# be seen there, is recommended by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pop3check)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(POP3CHECK_MAINTAINER "pop3check developers <pop3check@example.org>" CACHE STRING
    "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${POP3CHECK_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop POP3 mail checker with alerts")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Watches one POP3 mailbox from the desktop: lists the waiting messages\n\
(sender, subject, date, size) without downloading them, deletes the ticked\n\
ones on the server, shows a message's header and body and saves its\n\
attachments. It checks again on a timer and alerts with a desktop\n\
notification, a sound and a blinking tray icon when a message matches rules\n\
on sender, subject or size. The password can be kept in the keyring.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's platform plugins (xcb, wayland) are loaded at run time by name, and
# its own translations (the boxes' Yes and No) by language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-keyring")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
