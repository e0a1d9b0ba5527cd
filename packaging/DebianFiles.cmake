# Run by CPack on the staged tree before it makes the .deb: what Debian wants of a package
# beyond the install rules. The manual pages are compressed, and the changelog of the release is
# written, dated with the release's date.
set(usr "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")

function(gzip file)
    execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "gzip ${file}: ${result}")
    endif()
endfunction()

file(GLOB pages "${usr}/share/man/man1/*.1")
foreach(page ${pages})
    gzip("${page}")
endforeach()

execute_process(COMMAND date -u -R -d "${CPACK_Q7400_RELEASE_DATE}"
                OUTPUT_VARIABLE released OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "release date ${CPACK_Q7400_RELEASE_DATE}: ${result}")
endif()
set(changelog "${usr}/share/doc/${CPACK_PACKAGE_NAME}/changelog")
file(WRITE "${changelog}"
     "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium\n\n"
     "  * Release ${CPACK_PACKAGE_VERSION}.\n\n"
     " -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${released}\n")
gzip("${changelog}")
