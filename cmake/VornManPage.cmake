# Manual pages. Each is written in scdoc's plain-text form and made into a man page by the build.
#
#   vorn_add_man_page(<command> <source>)
#
# Makes the section-1 page <command>.1 from the scdoc file <source> (relative to the calling
# folder), builds it with the default target and installs it, gzipped, into share/man/man1. The
# command is also listed in the global property VORN_COMMANDS, from which the AppStream
# metadata names the package's programs.
# The source may name the data folder as @CMAKE_INSTALL_FULL_DATADIR@, which the installation
# fills in (VornInstalledText.cmake), and the project's version as @PROJECT_VERSION@. A command
# added to the package needs this one line and its source.

include(VornInstalledText)

find_program(VORN_SCDOC scdoc REQUIRED)
find_program(VORN_GZIP gzip REQUIRED)

# The pages carry the release date, not the day of the build.
execute_process(COMMAND date -u -d "${VORN_RELEASE_DATE}" +%s
    OUTPUT_VARIABLE VORN_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

function(vorn_add_man_page command source)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
    set(configured ${CMAKE_CURRENT_BINARY_DIR}/${command}.1.scd)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${command}.1)
    set(CMAKE_INSTALL_FULL_DATADIR ${VORN_INSTALLED_DATADIR_MARK})
    configure_file(${source} ${configured} @ONLY)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VORN_RELEASE_EPOCH}
                sh -c "\"$0\" < \"$1\" > \"$2\"" ${VORN_SCDOC} ${configured} ${page}
        DEPENDS ${configured}
        COMMENT "Making the man page ${command}(1)"
        VERBATIM)
    add_custom_target(man-${command} ALL DEPENDS ${page})
    vorn_install_named_folders(${page} ${CMAKE_INSTALL_MANDIR}/man1 GZIP)
    set_property(GLOBAL APPEND PROPERTY VORN_COMMANDS ${command})
endfunction()
