# Installation of both programs with their desktop integration, and the Debian package
# (cpack -G DEB); on Windows the zip and the installer. Included last, so that every
# program's target already exists.
if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
    return()
endif()
include(GNUInstallDirs)

set(VELMOR4_APP_ID org.velmor4.Util)
set(VELMOR4_MAINTAINER "Velmor4 util developers <velmor4-util@example.org>"
    CACHE STRING "Maintainer of the Debian package: name <address>")

install(TARGETS velmor4_util RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The command-line tool lives in cli/; its man page goes with it.
if(TARGET velmor4_cli)
    install(TARGETS velmor4_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(VELMOR4_MAN_PAGES velmor4_util velmor4_cli)
else()
    set(VELMOR4_MAN_PAGES velmor4_util)
endif()

if(NOT UNIX OR APPLE)
    return()
endif()

set(CPACK_DEBIAN_PACKAGE_NAME velmor4-util)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMOR4_MAINTAINER}")
set(VELMOR4_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_DEBIAN_PACKAGE_NAME})
set(res ${PROJECT_SOURCE_DIR}/resources)

install(FILES ${res}/${VELMOR4_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${res}/${VELMOR4_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${res}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${res}/debian/copyright DESTINATION ${VELMOR4_DOC_DIR})

# Debian keeps manual pages and changelogs compressed, without name or time stamp.
find_program(GZIP_EXECUTABLE gzip)
if(GZIP_EXECUTABLE)
    set(gz_dir ${CMAKE_CURRENT_BINARY_DIR}/gz)
    configure_file(${res}/debian/changelog.in ${gz_dir}/in/changelog @ONLY)
    set(gz_files)
    foreach(name ${VELMOR4_MAN_PAGES})
        list(APPEND gz_files ${PROJECT_SOURCE_DIR}/docs/man/${name}.1)
    endforeach()
    foreach(src ${gz_files} ${gz_dir}/in/changelog)
        get_filename_component(name ${src} NAME)
        add_custom_command(OUTPUT ${gz_dir}/${name}.gz
            COMMAND ${CMAKE_COMMAND} -E copy ${src} ${gz_dir}/${name}
            COMMAND ${GZIP_EXECUTABLE} -9nf ${gz_dir}/${name}
            DEPENDS ${src} VERBATIM)
        list(APPEND gz_outputs ${gz_dir}/${name}.gz)
    endforeach()
    add_custom_target(velmor4_gz ALL DEPENDS ${gz_outputs})
    foreach(name ${VELMOR4_MAN_PAGES})
        install(FILES ${gz_dir}/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
    install(FILES ${gz_dir}/changelog.gz DESTINATION ${VELMOR4_DOC_DIR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VENDOR "Velmor4")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure a Velmor4 telephone line-switching device")
set(CPACK_PACKAGE_DESCRIPTION
    "A service engineer's tool for the Velmor4 telephone line-switching device,
connected through a USB-serial cable: reads, checks and writes the device's
system and hardware settings, reads the firmware version and uploads new
firmware. velmor4_util is the window; velmor4_cli does the same from the
command line, with stable exit codes for scripts.")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian's Qt 6 keeps the platform plugins apart from the libraries the binaries link; Qt's own
# Russian texts, loaded at start, are no library either.
if(QT_MAJOR_VERSION STREQUAL "6")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS qttranslations5-l10n)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
