# The Debian packages and the .tar.gz, through CPack; included at the top
# level when the install rules are made.
set(ORVANE_QUESSEL_MAINTAINER "" CACHE STRING
    "The Debian packages' maintainer, as Name <address>")
set(CPACK_PACKAGE_NAME orvane-quessel)
set(CPACK_PACKAGE_VENDOR "The orvane and quessel developers")
set(CPACK_PACKAGE_CONTACT "${CPACK_PACKAGE_VENDOR}")
if(ORVANE_QUESSEL_MAINTAINER)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_QUESSEL_MAINTAINER}")
endif()
set(CPACK_GENERATOR DEB TGZ)
# The .tar.gz holds the packages' components in one archive, like the
# .debs without the record of an install that only an install needs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)
set(CPACK_STRIP_FILES ON)
# Two .debs, the way Debian splits a library; one .tar.gz of everything.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Each .deb's synopsis is the first line of its component's description,
# which a package-wide summary would otherwise displace.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME orvane-quessel)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
"exact geometric yes/no answers for whole-number points
orvane tells whether a straight step's line meets a circle while the step
brings the object nearer to its centre; quessel tells whether a point lies
within a radar's angular field. Each prints a bare 1 or 0 for scripts to
read.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME orvane-quessel-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The static libraries hold no ELF program for dpkg-shlibdeps to read; a
# program linked with them needs the C library's development files and libm.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS libc6-dev)
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
"predicates of orvane and quessel for programs that ask in-process
The static libraries liborvane and libquessel hold the predicates of the
orvane and quessel tools, with their headers, a CMake package and a
pkg-config file. They answer bit for bit as the programs do, also in a
program built with -ffast-math.")

include(CPack)
