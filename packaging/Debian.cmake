# The Debian packages "sorami" and "sorami-site-server" that CPack makes of the two install
# components: stripped programs, run-time dependencies on shared libraries computed by
# dpkg-shlibdeps, each with the copyright file and the changelog below /usr/share/doc.
set(SORAMI_DEB_REVISION 1)
set(SORAMI_DEB_VERSION ${PROJECT_VERSION}-${SORAMI_DEB_REVISION})
set(SORAMI_MAINTAINER "ソラミメッセージ developers <sorami@hkw.invalid>")

# The changelog's entry carries the package version and the release date; compressed without
# name nor time inside, so it is the same on every build.
execute_process(COMMAND date -u -R -d "${SORAMI_RELEASE_DATE}"
                OUTPUT_VARIABLE SORAMI_DEB_DATE OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(debian/changelog.in debian/changelog @ONLY)
set(_changelog ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.Debian.gz)
execute_process(COMMAND gzip -9n -c ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog
                OUTPUT_FILE ${_changelog} COMMAND_ERROR_IS_FATAL ANY)
foreach(package sorami sorami-site-server)
  install(FILES debian/copyright ${_changelog}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${package})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sorami)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${SORAMI_DEB_REVISION})
set(CPACK_PACKAGE_VENDOR "HKW")
set(CPACK_PACKAGE_CONTACT ${SORAMI_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL sorami sorami-site-server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${SORAMI_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The client. Beside its libraries: the Japanese font its windows are drawn with, Qt's
# Japanese texts for its own dialogs and buttons, and xdg-open, which opens attachments.
set(CPACK_DEBIAN_SORAMI_PACKAGE_NAME sorami)
set(CPACK_DEBIAN_SORAMI_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_SORAMI_PACKAGE_DEPENDS "fonts-ipafont-gothic, libsecret-1-0, qt6-translations-l10n, xdg-utils")
set(CPACK_DEBIAN_SORAMI_PACKAGE_SUGGESTS sorami-site-server)
set(CPACK_DEBIAN_SORAMI_DESCRIPTION "community-site messages and Internet mail in one client
ソラミメッセージ keeps short messages exchanged with the members of a
community-site service (with attachments, read receipts and complaint
reports) and ordinary Internet mail (POP3 and SMTP) in one local,
encrypted store. Its windows are in Japanese.
.
This package holds the desktop program, the command-line tool sorami-cli,
the help topics and the menu entry.")

# The reference service, run by systemd (enabled and started on installation, like any
# Debian service).
set(CPACK_DEBIAN_SORAMI-SITE-SERVER_PACKAGE_NAME sorami-site-server)
set(CPACK_DEBIAN_SORAMI-SITE-SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SORAMI-SITE-SERVER_PACKAGE_DEPENDS "init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_SORAMI-SITE-SERVER_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst ${CMAKE_CURRENT_SOURCE_DIR}/debian/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/postrm)
set(CPACK_DEBIAN_SORAMI-SITE-SERVER_DESCRIPTION "reference site service for the ソラミメッセージ client
A small site service for the ソラミメッセージ client: the directory server
and the site hosts in one program, keeping sites, members, waiting
messages, attachments, read receipts and complaint reports in one SQLite
database, with passwords kept as Argon2id hashes.
.
The package runs it as a sandboxed systemd service on 127.0.0.1:8642 with
its database in /var/lib/sorami-site-server.")
include(CPack)
