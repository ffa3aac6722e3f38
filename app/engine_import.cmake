# Morvane binds Quellix.dll when it starts and imports the engine's functions
# by ordinal only, never by name. The import library is made from the engine's
# own module-definition file, so the ordinals cannot drift from the exports:
# every function except the narrow-character (A) variants, marked NONAME.

set(_engine_def ${CMAKE_SOURCE_DIR}/engine/quellix.def)
set(_ordinal_def ${CMAKE_CURRENT_BINARY_DIR}/quellix_by_ordinal.def)
set(_ordinal_lib ${CMAKE_CURRENT_BINARY_DIR}/libquellix_by_ordinal.a)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_engine_def})

file(STRINGS ${_engine_def} _exports REGEX "^[ \t]+[A-Za-z]+[ \t]+@[0-9]+")
set(_ordinal_text "LIBRARY Quellix.dll\nEXPORTS\n")
foreach(_line IN LISTS _exports)
  string(REGEX MATCH "([A-Za-z]+)[ \t]+@([0-9]+)" _ "${_line}")
  set(_name ${CMAKE_MATCH_1})
  set(_ordinal ${CMAKE_MATCH_2})
  if(NOT _name MATCHES "A$")
    string(APPEND _ordinal_text "    ${_name} @${_ordinal} NONAME\n")
  endif()
endforeach()
file(CONFIGURE OUTPUT ${_ordinal_def} CONTENT "${_ordinal_text}")

add_custom_command(
  OUTPUT ${_ordinal_lib}
  COMMAND ${CMAKE_DLLTOOL} --input-def ${_ordinal_def} --dllname Quellix.dll
          --output-lib ${_ordinal_lib}
  DEPENDS ${_ordinal_def}
  COMMENT "Import library of Quellix.dll by ordinal")
add_custom_target(quellix_by_ordinal_lib DEPENDS ${_ordinal_lib})

# qx_link_quellix_by_ordinal(TARGET): TARGET calls the functions of quellix.h
# through ordinal imports of Quellix.dll, which is built beside it.
function(qx_link_quellix_by_ordinal target)
  add_dependencies(${target} quellix_by_ordinal_lib quellix)
  target_link_libraries(${target} PRIVATE ${_ordinal_lib})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/engine)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${_ordinal_lib})
endfunction()
