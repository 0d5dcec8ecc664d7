# Run by CPack for each Windows package, once the files are staged (CPack has stripped the
# programs by then) and again once the package is made (CPACK_PACKAGE_FILES is set only then):
#   - staged: the two programs are signed, and for the zip, from the same files, the MSI is made
#     with wixl and signed;
#   - made: the setup is signed.
# Signing needs a PKCS#12 certificate: VELMOR4_SIGN_PFX (its file), VELMOR4_SIGN_PASSWORD, and
# optionally VELMOR4_SIGN_TIMESTAMP_URL (an RFC 3161 server). Without VELMOR4_SIGN_PFX nothing
# is signed.

# Authenticode with SHA-256, each file signed in place.
function(velmor4_sign)
    if("$ENV{VELMOR4_SIGN_PFX}" STREQUAL "")
        return()
    endif()
    find_program(VELMOR4_OSSLSIGNCODE osslsigncode)
    if(NOT VELMOR4_OSSLSIGNCODE)
        message(FATAL_ERROR "VELMOR4_SIGN_PFX is set, but osslsigncode is missing "
                            "(Debian: osslsigncode)")
    endif()
    if(NOT EXISTS "$ENV{VELMOR4_SIGN_PFX}")
        message(FATAL_ERROR "VELMOR4_SIGN_PFX: no file $ENV{VELMOR4_SIGN_PFX}")
    endif()
    # The password reaches osslsigncode through a file only we can read, never a command line
    # that every user of the machine can see.
    set(private "${CPACK_TOPLEVEL_DIRECTORY}/signing")
    file(REMOVE_RECURSE "${private}")
    file(MAKE_DIRECTORY "${private}")
    file(CHMOD "${private}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    set(password)
    if(NOT "$ENV{VELMOR4_SIGN_PASSWORD}" STREQUAL "")
        file(WRITE "${private}/password" "$ENV{VELMOR4_SIGN_PASSWORD}")
        set(password -readpass "${private}/password")
    endif()
    set(timestamp)
    if(NOT "$ENV{VELMOR4_SIGN_TIMESTAMP_URL}" STREQUAL "")
        set(timestamp -ts "$ENV{VELMOR4_SIGN_TIMESTAMP_URL}")
    endif()
    foreach(file ${ARGN})
        execute_process(
            COMMAND "${VELMOR4_OSSLSIGNCODE}" sign -pkcs12 "$ENV{VELMOR4_SIGN_PFX}" ${password}
                    -h sha256 -n "Velmor4 util" ${timestamp}
                    -in "${file}" -out "${file}.signed"
            RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT status EQUAL 0)
            file(REMOVE_RECURSE "${private}")
            file(REMOVE "${file}.signed")
            message(FATAL_ERROR "Signing ${file} failed:\n${output}")
        endif()
        file(RENAME "${file}.signed" "${file}")
        message(STATUS "Signed ${file}")
    endforeach()
    file(REMOVE_RECURSE "${private}")
endfunction()

# The MSI of the staged folder: wixl-heat lists its files, wixl builds the package.
function(velmor4_make_msi staged msi)
    foreach(tool wixl wixl-heat msibuild)
        string(MAKE_C_IDENTIFIER "VELMOR4_${tool}" var)
        find_program(${var} ${tool})
        if(NOT ${var})
            message(FATAL_ERROR "${tool} is missing: the MSI needs wixl and msitools "
                                "(Debian: wixl, msitools)")
        endif()
    endforeach()
    set(work "${CPACK_TOPLEVEL_DIRECTORY}/msi")
    file(REMOVE_RECURSE "${work}")
    file(MAKE_DIRECTORY "${work}")
    file(GLOB_RECURSE files LIST_DIRECTORIES false "${staged}/*")
    list(SORT files)
    string(REPLACE ";" "\n" list "${files}")
    file(WRITE "${work}/files.txt" "${list}\n")
    execute_process(
        COMMAND "${VELMOR4_wixl_heat}" -p "${staged}/" --var var.SourceDir --win64
                --directory-ref INSTALLDIR --component-group Files
        INPUT_FILE "${work}/files.txt" OUTPUT_FILE "${work}/files.wxs"
        RESULT_VARIABLE status ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "wixl-heat failed:\n${output}")
    endif()
    # wixl takes the files it packs by relative paths only.
    file(COPY "${CPACK_VELMOR4_SOURCE_DIR}/resources/vt.ico" DESTINATION "${work}")
    file(RELATIVE_PATH source "${work}" "${staged}")
    execute_process(
        COMMAND "${VELMOR4_wixl}" --arch x64 -D Win64=yes
                -D "Version=${CPACK_PACKAGE_VERSION}"
                -D "UpgradeCode=${CPACK_VELMOR4_MSI_UPGRADE_CODE}"
                -D "Manufacturer=${CPACK_PACKAGE_VENDOR}" -D "SourceDir=${source}" -D Icon=vt.ico
                -o "${msi}" "${CPACK_VELMOR4_SOURCE_DIR}/cmake/msi/velmor4-util.wxs" files.wxs
        WORKING_DIRECTORY "${work}"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT EXISTS "${msi}")
        message(FATAL_ERROR "wixl failed:\n${output}")
    endif()
    # wixl leaves out IncludeMaximum: without it a rebuild of this very version would install
    # beside the earlier build instead of replacing it. 768: both bounds included.
    set(row "'{${CPACK_VELMOR4_MSI_UPGRADE_CODE}}', '0.0.0', '${CPACK_PACKAGE_VERSION}', 768")
    execute_process(
        COMMAND "${VELMOR4_msibuild}" "${msi}"
                -q "DELETE FROM Upgrade WHERE ActionProperty = 'OLDERFOUND'"
                -q "INSERT INTO Upgrade (UpgradeCode, VersionMin, VersionMax, Attributes,
                    ActionProperty) VALUES (${row}, 'OLDERFOUND')"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "msibuild could not complete the Upgrade table:\n${output}")
    endif()
    file(REMOVE_RECURSE "${work}")
    message(STATUS "MSI: ${msi}")
endfunction()

if(NOT CPACK_PACKAGE_FILES)
    velmor4_sign("${CPACK_TEMPORARY_DIRECTORY}/velmor4_util.exe"
                 "${CPACK_TEMPORARY_DIRECTORY}/velmor4_cli.exe")
    if(CPACK_GENERATOR STREQUAL "ZIP")
        set(msi "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi")
        velmor4_make_msi("${CPACK_TEMPORARY_DIRECTORY}" "${msi}")
        velmor4_sign("${msi}")
    endif()
elseif(CPACK_GENERATOR STREQUAL "NSIS")
    velmor4_sign(${CPACK_PACKAGE_FILES})
endif()
