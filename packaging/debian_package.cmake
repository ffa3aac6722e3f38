# The Debian package of what packaging/CMakeLists.txt installs: `cpack -G DEB`
# in the build folder (scripts/package.sh runs it) writes
# quellix_<version>_<architecture>.deb there. Its dependencies are the ones
# dpkg-shlibdeps reads off the binaries.
set(QX_PACKAGE_MAINTAINER "Quellix maintainers <maintainers@quellix.invalid>"
    CACHE STRING "Maintainer field of the Debian package (name <address>)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quellix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "webshell scanner and page cleaner for web servers")
set(CPACK_PACKAGE_DESCRIPTION
  "Quellix rates every ASP, ASPX, PHP and JSP file of a web site's tree as suspicious, \
dangerous or a trojan (known webshell families by fixed signatures, unknown ones by \
keyword and pattern rules), blanks injected script or iframe tags out of its pages in \
place, and lists the machine's connections with the location of each remote address and \
its power-on and power-off times. It comes with systemd units for a watch over a site \
and a nightly scan whose JSON findings go to the journal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The program's own libraries lie in the package, not in the system.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jq")
include(CPack)
