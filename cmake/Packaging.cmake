# The Debian package of both programs, built by CPack (scripts/package.sh):
# build/tonquill_<version>_amd64.deb, installed below /usr, with Depends
# computed from the shared libraries the programs link.
include(GNUInstallDirs)

# Debian wants the changelog compressed (a native package: changelog.gz) and without a time stamp.
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.Debian.in ${PROJECT_BINARY_DIR}/packaging/changelog.Debian @ONLY)
set(_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
                   COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/packaging/changelog.Debian > ${_changelog}
                   DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.Debian
                   COMMENT "Compressing the package's changelog")
set(_compressed ${_changelog})
foreach(_page tonquill discwright)
  set(_gz ${PROJECT_BINARY_DIR}/packaging/${_page}.1.gz)
  add_custom_command(OUTPUT ${_gz}
                     COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/data/man/${_page}.1 > ${_gz}
                     DEPENDS ${PROJECT_SOURCE_DIR}/data/man/${_page}.1
                     COMMENT "Compressing the manual page of ${_page}")
  list(APPEND _compressed ${_gz})
  install(FILES ${_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(tonquill_changelog ALL DEPENDS ${_compressed})
install(FILES ${_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tonquill)

# Installing builds nothing: the package script builds the programs first,
# without the test suite.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonquill)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tonquill developers")
set(CPACK_PACKAGE_CONTACT "Tonquill developers <packages@tonquill.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "internet radio recorder and audio CD creator")
set(CPACK_PACKAGE_DESCRIPTION
    "Tonquill records SHOUTcast and Icecast MP3 stations, one tagged file per\n"
    "song, as a dated archive or as one file, from its control panel, from\n"
    "preset files or at a scheduled time. Discwright, its companion, writes\n"
    "audio files to an audio CD or a BIN/CUE image.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tonquill.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Scheduling runs on at; the associations and help open with xdg-utils.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "at, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
