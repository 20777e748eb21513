# The Debian package: everything the install rules put under the prefix, plus the manual pages,
# the sample picture, the copyright file and the changelog. `cpack` in a configured and built tree
# makes pictoma_<version>_<arch>.deb (scripts/package.sh does it all in build-release/).

find_program(PICTOMA_GZIP gzip REQUIRED)

# Manual pages carry the project's version and are installed compressed, as Debian keeps them.
set(PICTOMA_MAN_PAGES pictoma.1 pictoma-convert.1 vantrel.1)
set(VERSION ${PROJECT_VERSION})
set(man_outputs)
foreach(page ${PICTOMA_MAN_PAGES})
    set(page_dir "${CMAKE_BINARY_DIR}/man")
    configure_file(docs/man/${page} "${page_dir}/${page}" @ONLY)
    add_custom_command(OUTPUT "${page_dir}/${page}.gz"
        COMMAND ${PICTOMA_GZIP} -9nkf "${page_dir}/${page}"
        DEPENDS "${page_dir}/${page}"
        COMMENT "Manual page ${page}"
        VERBATIM)
    list(APPEND man_outputs "${page_dir}/${page}.gz")
    install(FILES "${page_dir}/${page}.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(changelog "${CMAKE_BINARY_DIR}/packaging/changelog")
configure_file(packaging/changelog "${changelog}" COPYONLY)
add_custom_command(OUTPUT "${changelog}.gz"
    COMMAND ${PICTOMA_GZIP} -9nkf "${changelog}"
    DEPENDS "${changelog}"
    COMMENT "Package changelog"
    VERBATIM)
add_custom_target(package_docs ALL DEPENDS ${man_outputs} "${changelog}.gz")

install(FILES packaging/copyright "${changelog}.gz" DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES samples/sample.bmp DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# Folders 0755 and files 0644 whatever the umask of the one who packs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(PICTOMA_MAINTAINER "The Pictoma developers <pictoma-devel@example.org>"
    CACHE STRING "The Debian package's Maintainer field")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pictoma)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Pictoma developers")
set(CPACK_PACKAGE_CONTACT "${PICTOMA_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bitmap editor and file downloader for 128 x 64 hand-held terminals")
set(CPACK_PACKAGE_DESCRIPTION
"Pictoma turns a picture into black and white by a brightness threshold, lets
you correct it pixel by pixel, crop and resize it to the 128 x 64 screen of a
hand-held data terminal, and writes it as C or BASIC source for a terminal
program. pictoma-convert does the same on the command line.

Vantrel sends a lookup data file to such a terminal over a serial port,
directly or through a serial infrared transceiver.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PICTOMA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the programs link come from dpkg-shlibdeps; these are what no link shows: the
# platform plugins that open windows, the decoders of the imported formats (SVG among them), the
# font of the Chinese texts and the opener of Help > Topics.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, libqt6svg6, fonts-wqy-microhei, xdg-utils")
include(CPack)

if(PICTOMA_TESTS)
    # Builds the package from this tree into a scratch folder, unpacks it there and checks it.
    add_test(NAME package_contents
             COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/tests/check_package.sh
                     ${CMAKE_BINARY_DIR} ${CMAKE_CPACK_COMMAND} ${PROJECT_VERSION}
                     ${CMAKE_SOURCE_DIR}/samples/sample.bmp)
    set_tests_properties(package_contents PROPERTIES TIMEOUT 900)
endif()
