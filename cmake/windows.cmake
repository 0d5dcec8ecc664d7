# The Windows artefacts: a portable zip, an NSIS installer and an MSI of one folder holding both
# programs, the Qt libraries and plugins they load, Qt's Russian translation, the MinGW runtime
# and the licence texts. Included from install.cmake on Windows.
set(VELMOR4_PACKAGE_NAME velmor4-util-${PROJECT_VERSION}-win64)

install(TARGETS velmor4_util velmor4_cli RUNTIME DESTINATION .)

# What windeployqt would copy for these programs, and no more.
set(qt Qt${QT_MAJOR_VERSION})
install(FILES $<TARGET_FILE:${qt}::Core> $<TARGET_FILE:${qt}::Gui> $<TARGET_FILE:${qt}::Widgets>
              $<TARGET_FILE:${qt}::SerialPort> DESTINATION .)
install(FILES $<TARGET_FILE:${qt}::QWindowsIntegrationPlugin> DESTINATION platforms)
if(TARGET ${qt}::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:${qt}::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

# The MinGW runtime, wherever this compiler keeps it.
if(MINGW)
    foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
            message(FATAL_ERROR "The compiler does not know where ${dll} is")
        endif()
        install(FILES ${path} DESTINATION .)
        # Debian's MinGW runtime carries its debugging symbols: 24 MB of libstdc++ alone.
        install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug
                                      \"\${CMAKE_INSTALL_PREFIX}/${dll}\")")
    endforeach()
endif()

# Qt's own dialogs and buttons in Russian: the program looks for translations/ beside itself.
get_target_property(qmake ${qt}::qmake IMPORTED_LOCATION)
execute_process(COMMAND ${qmake} -query QT_INSTALL_TRANSLATIONS
                OUTPUT_VARIABLE qt_translations OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(VELMOR4_QTBASE_RU qtbase_ru.qm
          PATHS ${qt_translations} /usr/share/qt5/translations NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(VELMOR4_QTBASE_RU)
    install(FILES ${VELMOR4_QTBASE_RU} DESTINATION translations)
else()
    message(WARNING "qtbase_ru.qm not found (Debian: qttranslations5-l10n): Qt's dialogs stay English")
endif()

# Licence texts: Qt under the LGPL, the MinGW runtime under the GCC runtime exception and
# the MinGW-w64 licences.
get_filename_component(qt_prefix "${qmake}" DIRECTORY)
get_filename_component(qt_prefix "${qt_prefix}" DIRECTORY)
find_file(VELMOR4_QT_LGPL NAMES LICENSE.LGPL3 LGPL-3
          PATHS ${qt_prefix}/licenses ${qt_prefix} /usr/share/common-licenses
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT VELMOR4_QT_LGPL)
    message(FATAL_ERROR "No LGPL text for Qt in ${qt_prefix}/licenses")
endif()
install(FILES ${VELMOR4_QT_LGPL} DESTINATION licenses RENAME Qt-LGPL-3.0.txt)
foreach(pair "gcc-mingw-w64-base;MinGW-runtime-GCC.txt" "mingw-w64-common;MinGW-w64.txt")
    list(GET pair 0 package)
    list(GET pair 1 name)
    if(EXISTS /usr/share/doc/${package}/copyright)
        install(FILES /usr/share/doc/${package}/copyright DESTINATION licenses RENAME ${name})
    endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright DESTINATION licenses
        RENAME Velmor4-util.txt)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME "Velmor4 util")
set(CPACK_PACKAGE_VENDOR "Velmor4")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configures a Velmor4 telephone line-switching device")
set(CPACK_PACKAGE_FILE_NAME ${VELMOR4_PACKAGE_NAME})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Velmor4 util")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Velmor4 util")
set(CPACK_NSIS_PACKAGE_NAME "Velmor4 util ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Velmor4 util ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/vt.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/vt.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME velmor4_util.exe)
# A 64-bit installer for 64-bit programs: it needs no 32-bit layer (WoW64) to run.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The installer gets its own name; the zip keeps the plain one.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack-per-generator.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
     "if(CPACK_GENERATOR STREQUAL \"NSIS\")\n"
     "    set(CPACK_PACKAGE_FILE_NAME \"${VELMOR4_PACKAGE_NAME}-setup\")\n"
     "endif()\n")
set(CPACK_STRIP_FILES ON)
# Windows Installer knows every version of the MSI by this code, and the setup looks for the
# MSI by it: never change it.
set(CPACK_VELMOR4_MSI_UPGRADE_CODE 4CC6DF35-143F-41DE-94AF-980142FBA7A5)
set(CPACK_VELMOR4_SOURCE_DIR ${PROJECT_SOURCE_DIR})
# Signing, when a certificate is given, and the MSI: on the staged files, after CPack has
# stripped the programs (cmake/windows-package.cmake).
if(CMAKE_VERSION VERSION_LESS 3.19)
    message(WARNING "CMake ${CMAKE_VERSION} makes no MSI and signs nothing: that needs 3.19")
else()
    set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/windows-package.cmake)
    set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/windows-package.cmake)
endif()
# Our own installer script: for all users when run as administrator, else for the user alone,
# without administrator rights (cmake/nsis/NSIS.template.in).
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
include(CPack)
