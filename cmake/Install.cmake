# Installed, the program keeps what it reads at run time beside itself, as it
# does in the build tree: the executables, the four parts folders and the
# compiled manual all go into one folder of its own, and bin/ holds links into
# it. The program finds its parts and its manual through the folder of its
# executable, which Qt takes from the link's target, so the links are enough.
# The folder is named outright: GNUInstallDirs would give a multiarch folder
# (lib/x86_64-linux-gnu) under /usr on Debian.
set(KAOGUMI_APP_DIR lib/kaogumi CACHE STRING
    "The program's own folder, relative to the install prefix")

set(kaogumi_programs kaogumi)
# The renderer, where the tree has it: the thumbnailer and the tests call it
# from the installed folder.
if(TARGET kaogumi-render)
    list(APPEND kaogumi_programs kaogumi-render)
endif()
install(TARGETS ${kaogumi_programs} RUNTIME DESTINATION ${KAOGUMI_APP_DIR})

# Relative links, so that they hold under DESTDIR and in the package alike.
file(RELATIVE_PATH kaogumi_bin_to_app /prefix/bin /prefix/${KAOGUMI_APP_DIR})
set(kaogumi_links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${kaogumi_links})
foreach(program IN LISTS kaogumi_programs)
    file(CREATE_LINK ${kaogumi_bin_to_app}/${program} ${kaogumi_links}/${program} SYMBOLIC)
    install(FILES ${kaogumi_links}/${program} DESTINATION bin)
endforeach()

# The parts library and the manual, drawn and compiled into the top of the build
# tree by tools/ and resources/. The part pictures are data that no
# architecture changes, so they live under share/; the program's folder holds
# a relative link to each category folder and finds them beside itself as
# before.
set(KAOGUMI_DATA_DIR share/kaogumi CACHE STRING
    "The folder of the parts library, relative to the install prefix")
file(RELATIVE_PATH kaogumi_app_to_data /prefix/${KAOGUMI_APP_DIR} /prefix/${KAOGUMI_DATA_DIR})
foreach(category 髪 目 顔 口)
    install(DIRECTORY ${CMAKE_BINARY_DIR}/${category} DESTINATION ${KAOGUMI_DATA_DIR})
    file(CREATE_LINK ${kaogumi_app_to_data}/${category} ${kaogumi_links}/${category} SYMBOLIC)
    install(FILES ${kaogumi_links}/${category} DESTINATION ${KAOGUMI_APP_DIR})
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/kaogumi.qch ${CMAKE_BINARY_DIR}/kaogumi.qhc
        DESTINATION ${KAOGUMI_APP_DIR})
