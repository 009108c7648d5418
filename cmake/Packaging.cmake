# `make package`: a Debian package of the installed layout (see Install.cmake),
# under /usr. Its library dependencies come from dpkg-shlibdeps; the help
# viewer is a program the manual is opened in, so it is named by hand.
set(KAOGUMI_MAINTAINER "Kaogumi developers <kaogumi@users.noreply.github.com>" CACHE STRING
    "The package's maintainer, name and address")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kaogumi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KAOGUMI_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "compose a face from hair, eyes, outline and mouth parts")
# CPack puts the summary first and indents each line of this itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Kaogumi composes a face picture from four interchangeable parts: the outline,
the eyes, the hair and the mouth, each picked in a small picker window. A face
is kept in a small face file (.kgm), saved as a picture, printed as a card with
a barcode, or built again from its face code.

The package holds the program with its parts library and manual, the command
kaogumi-render that draws faces into picture files without a window, and a
thumbnailer that shows each face file's face in file managers. The program
speaks Japanese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "assistant-qt6")
# Japanese glyphs, and Qt's own dialogs in Japanese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, qt6-translations-l10n")

# Debian asks every package for a copyright notice and, a native one, for a
# changelog, both under /usr/share/doc/<package>.
set(kaogumi_doc ${CMAKE_BINARY_DIR}/package-doc)
file(MAKE_DIRECTORY ${kaogumi_doc})
# The date honours SOURCE_DATE_EPOCH, for a reproducible package.
string(TIMESTAMP kaogumi_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${kaogumi_doc}/changelog
"kaogumi (${PROJECT_VERSION}) unstable; urgency=medium

  * Kaogumi ${PROJECT_VERSION}.

 -- ${KAOGUMI_MAINTAINER}  ${kaogumi_date}
")
execute_process(COMMAND gzip -9nf ${kaogumi_doc}/changelog RESULT_VARIABLE kaogumi_gzip)
if(NOT kaogumi_gzip EQUAL 0)
    message(FATAL_ERROR "gzip could not compress the package's changelog")
endif()
install(FILES ${kaogumi_doc}/changelog.gz ${PROJECT_SOURCE_DIR}/desktop/copyright
        DESTINATION share/doc/kaogumi)

include(CPack)
