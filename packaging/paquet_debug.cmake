# Run by CPack once the packages are made. CPack's debug-symbols package
# lists its files in md5sums by their paths in the build folder and carries
# no documentation folder, which Debian requires of every package: it is
# mended here and rebuilt with dpkg-deb. As Debian's own tools do, the
# folder is a link to the main package's, which this one depends on.
foreach(paquet IN LISTS CPACK_PACKAGE_FILES)
    if(NOT paquet MATCHES "\\.ddeb$")
        continue()
    endif()
    set(racine ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-repare)
    file(REMOVE_RECURSE ${racine})
    execute_process(COMMAND dpkg-deb --raw-extract ${paquet} ${racine} COMMAND_ERROR_IS_FATAL ANY)

    file(MAKE_DIRECTORY ${racine}/usr/share/doc)
    file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${racine}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)
    file(GLOB_RECURSE fichiers RELATIVE ${racine} ${racine}/usr/lib/*)
    set(sommes "")
    foreach(f IN LISTS fichiers)
        # Debug information is data, not a program.
        file(CHMOD ${racine}/${f} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        file(MD5 ${racine}/${f} somme)
        string(APPEND sommes "${somme}  ${f}\n")
    endforeach()
    file(WRITE ${racine}/DEBIAN/md5sums "${sommes}")
    file(CHMOD ${racine}/DEBIAN/md5sums PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${racine} ${paquet}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${racine})
endforeach()
