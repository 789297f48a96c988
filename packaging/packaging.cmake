# The Debian package: `make package` builds tamalog_<version>_<arch>.deb in
# the build folder with CPack's DEB generator. The package holds what
# `make install` installs, under /usr, plus what a Debian package carries
# besides: the AppStream metadata, the manual pages, the copyright file and
# the changelog. The installed program keeps its data in the per-user folder
# (~/.local/share/tamalog/tamalog), as after `make install`.

# The date of the version set by project(): the manual pages, the changelog
# and the AppStream release show it. When the version changes, change it too.
set(TAMALOG_RELEASE_DATE 2026-12-09)

# The project has no published address yet: the example.org addresses below
# stand in until it has one (set them with -D when building a release).
set(TAMALOG_MAINTAINER "Tamalog developers <tamalog@example.org>" CACHE STRING
    "Maintainer of the Debian package, \"Name <address>\"")
set(TAMALOG_COPYRIGHT "2026 the Tamalog developers" CACHE STRING "Copyright line of the Debian copyright file")
# AppStream wants a web address for the screenshot: the README's picture of the frame.
set(TAMALOG_SCREENSHOT_URL "https://example.org/tamalog/docs/frame.png" CACHE STRING
    "Web address of docs/frame.png, the screenshot in the AppStream metadata")

# No licence has been granted for タマログ: the copyright file and the AppStream
# metadata say so instead of naming one.
set(TAMALOG_LICENSE_NAME "all-rights-reserved")
set(TAMALOG_LICENSE_TEXT
    " No licence has been granted for this software. Until its authors grant one,\n"
    " all rights are reserved.")
string(CONCAT TAMALOG_LICENSE_TEXT ${TAMALOG_LICENSE_TEXT})
set(TAMALOG_APPSTREAM_LICENSE "LicenseRef-proprietary")

# The changelog's trailer date, in RFC 2822 form, from the release date.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -R -d "${TAMALOG_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TAMALOG_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)

set(TAMA_PKG_SRC ${PROJECT_SOURCE_DIR}/packaging)
set(TAMA_PKG_OUT ${PROJECT_BINARY_DIR}/packaging)
configure_file(${TAMA_PKG_SRC}/jp.tamalog.tamalog.metainfo.xml.in ${TAMA_PKG_OUT}/jp.tamalog.tamalog.metainfo.xml @ONLY)
configure_file(${TAMA_PKG_SRC}/copyright.in ${TAMA_PKG_OUT}/copyright @ONLY)
configure_file(${TAMA_PKG_SRC}/changelog.in ${TAMA_PKG_OUT}/changelog @ONLY)
configure_file(${TAMA_PKG_SRC}/tamalog.1.in ${TAMA_PKG_OUT}/tamalog.1 @ONLY)
configure_file(${TAMA_PKG_SRC}/tamalog-cli.1.in ${TAMA_PKG_OUT}/tamalog-cli.1 @ONLY)

# Manual pages and the changelog are installed gzipped (-n: no name or time
# in the header, so the same sources give the same bytes).
set(TAMA_PKG_GZIPPED)
foreach(name tamalog.1 tamalog-cli.1 changelog)
  add_custom_command(
    OUTPUT ${TAMA_PKG_OUT}/${name}.gz
    COMMAND gzip -9 -n -c ${TAMA_PKG_OUT}/${name} > ${TAMA_PKG_OUT}/${name}.gz
    DEPENDS ${TAMA_PKG_OUT}/${name}
    COMMENT "Compressing ${name}")
  list(APPEND TAMA_PKG_GZIPPED ${TAMA_PKG_OUT}/${name}.gz)
endforeach()
add_custom_target(tamalog_package_files ALL DEPENDS ${TAMA_PKG_GZIPPED})

install(FILES ${TAMA_PKG_OUT}/jp.tamalog.tamalog.metainfo.xml DESTINATION share/metainfo)
install(FILES ${TAMA_PKG_OUT}/tamalog.1.gz ${TAMA_PKG_OUT}/tamalog-cli.1.gz DESTINATION share/man/man1)
install(FILES ${TAMA_PKG_OUT}/copyright ${TAMA_PKG_OUT}/changelog.gz DESTINATION share/doc/tamalog)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamalog)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "balance book for pachinko and pachislot players")
# The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "タマログ records every visit to a pachinko or pachislot hall: date, hall,\n"
    "machine, hours played, money put in and taken out. It shows the month's\n"
    "list with its summary, graphs of the balance by day, month, year and\n"
    "weekday, and an analysis of all records by period, hall and machine, and\n"
    "writes workbooks of a month and of the analysis tables.\n"
    "\n"
    "tamalog-cli works on the same data from scripts. The windows and the\n"
    "manual are in Japanese.")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAMALOG_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: the libraries the programs link (dpkg-shlibdeps), and what is
# loaded at run time without being linked: the SQLite driver the help
# engine opens the manual with, xdg-open for the manual's pages and the
# workbooks, and the icon theme that owns the icon's folders.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, xdg-utils, hicolor-icon-theme")
# Japanese texts of Qt's own dialogs, and a Japanese font for the windows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
