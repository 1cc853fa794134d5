# Run by CPack on the staged package tree before it is packed: what a Debian package has beside
# the installed layout. The programs lose their .comment section; the manual pages and the
# changelog are compressed as Debian's are (gzip -9n: no name, no time stamp); the copyright file
# names every licence of the package; lintian learns why two of its remarks do not apply; and
# the German spelling dictionary becomes a link to the one Debian ships (hunspell-de-de).
set(root ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/feedsmith)

function(gzip_file path)
    execute_process(COMMAND gzip -9nf ${path} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The compilers' version strings are no use in a program (the symbols go to the -dbgsym package
# after this).
foreach(program feedsmith feedsmith-cli)
    if(EXISTS ${root}/bin/${program})
        execute_process(COMMAND objcopy --remove-section=.comment ${root}/bin/${program} COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()

file(GLOB pages ${root}/share/man/man1/*.1)
foreach(page IN LISTS pages)
    gzip_file(${page})
endforeach()

file(MAKE_DIRECTORY ${doc} ${root}/share/lintian/overrides)
file(COPY_FILE ${CPACK_FEEDSMITH_CHANGELOG} ${doc}/changelog)
gzip_file(${doc}/changelog)

file(READ ${CPACK_FEEDSMITH_SOURCE_DIR}/packaging/copyright copyright)
set(dictionaries ${root}/share/feedsmith/qtwebengine_dictionaries)
if(EXISTS ${dictionaries}/en-US.bdic)
    # Converted from hunspell-en-us, whose copyright file is its licence.
    file(STRINGS /usr/share/doc/hunspell-en-us/copyright lines)
    string(APPEND copyright "\nFiles: usr/share/feedsmith/qtwebengine_dictionaries/en-US.bdic\n"
           "Copyright: 2000-2011 Kevin Atkinson and the other authors named below\n"
           "Comment: Converted from /usr/share/hunspell/en_US.dic of Debian's hunspell-en-us,\n"
           " whose copyright file follows.\n"
           "License: SCOWL\n")
    foreach(line IN LISTS lines)
        string(STRIP "${line}" stripped)
        if(stripped STREQUAL "")
            string(APPEND copyright " .\n")
        else()
            string(APPEND copyright " ${line}\n")
        endif()
    endforeach()
endif()
file(WRITE ${doc}/copyright "${copyright}")
file(COPY_FILE ${CPACK_FEEDSMITH_SOURCE_DIR}/packaging/lintian-overrides ${root}/share/lintian/overrides/feedsmith)

if(EXISTS ${dictionaries}/de-DE.bdic)
    file(REMOVE ${dictionaries}/de-DE.bdic)
    file(CREATE_LINK ../../hunspell-bdic/de_DE.bdic ${dictionaries}/de-DE.bdic SYMBOLIC)
endif()
