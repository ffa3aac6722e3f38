# Third-party pieces, all from Debian packages. The MinGW build cannot use the
# host's compiled libraries, so GoogleTest is built from the sources Debian
# ships and header-only CLI11 is reached through a folder that holds only it.

if(CMAKE_CROSSCOMPILING)
  set(_cli11_dir ${CMAKE_BINARY_DIR}/third_party/include)
  file(MAKE_DIRECTORY ${_cli11_dir})
  file(CREATE_LINK /usr/include/CLI ${_cli11_dir}/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${_cli11_dir})
else()
  find_package(CLI11 CONFIG REQUIRED)
endif()

# YARA rules in the command line, where libyara is found; MinGW has none, so
# the Windows build refuses --yara.
option(QX_YARA "Match YARA rules in the command line when libyara is found" ON)
if(QX_YARA AND NOT CMAKE_CROSSCOMPILING)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(YARA QUIET IMPORTED_TARGET yara)
  endif()
  if(NOT TARGET PkgConfig::YARA)
    message(STATUS "libyara not found: the command line is built without YARA support")
  endif()
endif()

# SHA-256 for the quarantine, which exists on POSIX only.
if(NOT WIN32)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
endif()

if(QX_TESTS)
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    # Its build defines the GTest:: targets the host package would.
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

if(QX_BENCH)
  find_package(benchmark REQUIRED)
endif()
