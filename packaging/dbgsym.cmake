# Run by CPack once the packages are made: the -dbgsym package of CPack 3.25 lists its files in
# md5sums by their absolute paths in the staging folder, so dpkg --verify and debsums cannot
# check them. It is packed again with paths relative to its root and, as a debhelper one, with
# its documents folder a link to the program's (copyright and changelog).
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "-dbgsym_.*\\.ddeb$")
        continue()
    endif()
    set(tree ${package}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb -R ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(MAKE_DIRECTORY ${tree}/usr/share/doc)
    file(CREATE_LINK feedsmith ${tree}/usr/share/doc/feedsmith-dbgsym SYMBOLIC)
    file(GLOB_RECURSE debugFiles RELATIVE ${tree} ${tree}/usr/lib/debug/*)
    list(SORT debugFiles)
    set(sums "")
    foreach(debugFile IN LISTS debugFiles)
        file(CHMOD ${tree}/${debugFile} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 ${tree}/${debugFile} sum)
        string(APPEND sums "${sum}  ${debugFile}\n")
    endforeach()
    file(WRITE ${tree}/DEBIAN/md5sums "${sums}")
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz -b ${tree} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()
