# Run by CPack on the staged tree before it makes the .deb: what Debian wants of a package
# beyond the install rules. Manual pages are compressed, and the changelog is written for the
# release, dated with its release date.
file(GLOB_RECURSE stage_dirs LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
message(STATUS "stage ${CPACK_TEMPORARY_DIRECTORY} ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
