# Run by CPack after it made a .deb, before it checksums the package: the
# .deb writer gives the members of the outer ar archive the modes of the
# files it packs, and so the umask's. This sets each to 0644, as dpkg-deb
# does, in place.
file(WRITE ${CPACK_TOPLEVEL_DIRECTORY}/ar-member-mode "100644  ")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.deb$")
        continue()
    endif()
    file(SIZE ${package} size)
    # After the 8-byte magic, each member has a 60-byte header: name (16),
    # date (12), owner (6), group (6), mode (8), size (10), end (2), and its
    # data, padded to an even length.
    set(header 8)
    while(header LESS size)
        math(EXPR mode "${header} + 40")
        math(EXPR size_field "${header} + 48")
        file(READ ${package} member_size OFFSET ${size_field} LIMIT 10)
        string(STRIP "${member_size}" member_size)
        execute_process(COMMAND dd of=${package} bs=1 seek=${mode} conv=notrunc status=none
            INPUT_FILE ${CPACK_TOPLEVEL_DIRECTORY}/ar-member-mode COMMAND_ERROR_IS_FATAL ANY)
        math(EXPR header "${header} + 60 + ${member_size} + ${member_size} % 2")
    endwhile()
endforeach()
