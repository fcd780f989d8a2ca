# Text files that name the folders they are installed in: the man pages and Debian's copyright.
#
#   vorn_install_named_folders(<file> <destination> [GZIP])
#
# <file>, made by the build, names the data folder as @VORNDATADIR@ (no underscore: scdoc would
# take it for markup). The installation puts in the folder under the prefix it installs to, so
# that the package, made under /usr, names /usr whatever prefix the build was configured with,
# and `cmake --install --prefix` names its own. GZIP compresses the result as Debian wants man
# pages, without a time stamp.

set(VORN_INSTALLED_DATADIR_MARK "@VORNDATADIR@")

function(vorn_install_named_folders file destination)
    cmake_parse_arguments(PARSE_ARGV 2 arg "GZIP" "" "")
    cmake_path(GET file FILENAME name)
    set(installed ${CMAKE_CURRENT_BINARY_DIR}/installed/${name})
    set(compress "")
    if(arg_GZIP)
        set(compress "
            execute_process(COMMAND [[${VORN_GZIP}]] -9 -n -f [[${installed}]]
                COMMAND_ERROR_IS_FATAL ANY)")
        string(APPEND installed .gz)
    endif()
    install(CODE "
        set(vorn_datadir [[${CMAKE_INSTALL_DATADIR}]])
        if(NOT IS_ABSOLUTE \"\${vorn_datadir}\")
            set(vorn_datadir \"\${CMAKE_INSTALL_PREFIX}/\${vorn_datadir}\")
        endif()
        file(READ [[${file}]] vorn_text)
        string(REPLACE [[${VORN_INSTALLED_DATADIR_MARK}]] \"\${vorn_datadir}\" vorn_text
            \"\${vorn_text}\")
        file(WRITE [[${CMAKE_CURRENT_BINARY_DIR}/installed/${name}]] \"\${vorn_text}\")
        ${compress}
        file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\" TYPE FILE
            FILES [[${installed}]])")
endfunction()
