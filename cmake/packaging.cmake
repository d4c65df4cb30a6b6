# The Debian packages and the .tar.gz, through CPack; included at the top
# level when the install rules are made.
set(ORVANE_QUESSEL_MAINTAINER "" CACHE STRING
    "The Debian packages' maintainer, as Name <address>")
set(CPACK_PACKAGE_NAME orvane-quessel)
set(CPACK_PACKAGE_VENDOR "The orvane and quessel developers")
set(CPACK_PACKAGE_CONTACT "${CPACK_PACKAGE_VENDOR}")
if(ORVANE_QUESSEL_MAINTAINER)
  # Nothing half filled in ends up in a package; and a bad value is not
  # kept for the next configure.
  if(NOT ORVANE_QUESSEL_MAINTAINER MATCHES "^[^<>]*[^ <>][^<>]* <[^ <>@]+@[^ <>@]+>$")
    set(given "${ORVANE_QUESSEL_MAINTAINER}")
    unset(ORVANE_QUESSEL_MAINTAINER CACHE)
    message(FATAL_ERROR "ORVANE_QUESSEL_MAINTAINER is \"${given}\", "
            "not Name <address> (with DEBFULLNAME and DEBEMAIL set, \"$DEBFULLNAME <$DEBEMAIL>\" gives it)")
  endif()
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_QUESSEL_MAINTAINER}")
endif()
set(CPACK_GENERATOR DEB TGZ)
# The .tar.gz holds the packages' components in one archive, like the
# .debs without the record of an install that only an install needs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_options.cmake)
set(CPACK_STRIP_FILES ON)
# A .deb a component, the way Debian splits a library and its Python
# module; one .tar.gz of everything.
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
read. orvane-quessel answers a file of such questions, one a line, as
either program would, at the speed of reading it.")
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

# The Python package's .deb, where the package is built. It depends as
# Debian's own numpy extensions do: on the Python version and the NumPy ABI
# they were built for. Python byte-compiles the modules when the
# package is installed, and removes what it compiled before the package
# goes, as Debian's helpers arrange for packages of Python modules.
set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-orvane-quessel)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
if(TARGET orvane_quessel_ufuncs)
  list(APPEND CPACK_COMPONENTS_ALL Python)
  set(numpy_depends python3-numpy)
  if(EXISTS /usr/share/numpy3/versions)
    file(STRINGS /usr/share/numpy3/versions numpy REGEX "^(abi|api-min-version) ")
    list(TRANSFORM numpy REPLACE "^[^ ]+ +" "")
    list(GET numpy 0 abi)
    list(GET numpy 1 api_min)
    set(numpy_depends "python3-numpy (>= ${api_min}), python3-numpy-abi${abi}")
  endif()
  math(EXPR next_minor "${Python3_VERSION_MINOR} + 1")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}~), python3 (<< ${Python3_VERSION_MAJOR}.${next_minor}), ${numpy_depends}")
  foreach(script postinst prerm)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/python3-${script}.in ${script} @ONLY)
    list(APPEND CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/${script})
  endforeach()
  set(CPACK_DEBIAN_PYTHON_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()
set(CPACK_COMPONENT_PYTHON_DESCRIPTION
"exact numpy ufuncs of orvane and quessel for Python 3
The predicates of the orvane and quessel tools as numpy ufuncs,
orvane_quessel.orvane, orvane_quessel.quessel and
orvane_quessel.calculate_euclidean_distance, which answer bit for bit as
the programs do, and python3 -m orvane_quessel, which answers a file of
questions.")
include(CPack)
