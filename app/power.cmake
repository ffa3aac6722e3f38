# Power records: the pairing of start-up and shut-down records and their
# sources (the System event log on Windows, wtmp elsewhere).
add_library(qx_power STATIC ${CMAKE_CURRENT_LIST_DIR}/power_records.cpp)
if(WIN32)
  target_sources(qx_power PRIVATE ${CMAKE_CURRENT_LIST_DIR}/power_log_win.cpp)
  target_link_libraries(qx_power PRIVATE advapi32)
else()
  target_sources(qx_power PRIVATE ${CMAKE_CURRENT_LIST_DIR}/power_log_posix.cpp)
endif()
target_include_directories(qx_power PUBLIC ${CMAKE_CURRENT_LIST_DIR})
