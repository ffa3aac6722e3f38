# The windowed program Morvane.exe (Windows only), on the dialog framework of
# app/ui and the skinned controls of app/skin.

add_library(morvane_ui STATIC
  ui/app.cpp
  ui/controls.cpp
  ui/dialog.cpp
  ui/gdi.cpp
  ui/wnd.cpp)
target_include_directories(morvane_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(morvane_ui PUBLIC comctl32 gdi32 user32 ole32)

add_library(morvane_skin STATIC
  skin/bitmap_ex.cpp
  skin/bmp_button.cpp
  skin/browse_folder_dlg.cpp
  skin/mask_outline.cpp
  skin/skin_button.cpp
  skin/skin_header_ctrl.cpp
  skin/sys_image_list.cpp
  skin/tz_mem_dc.cpp)
target_link_libraries(morvane_skin PUBLIC morvane_ui shell32 shlwapi)

add_executable(Morvane WIN32
  dlg_code_clean.cpp
  dlg_os_power.cpp
  dlg_trojan_scan.cpp
  dostrel_app.cpp
  dostrel_dlg.cpp
  engine_event_queue.cpp
  engine_page.cpp
  page_dialog.cpp
  report_list.cpp
  netview/dlg_net_stat.cpp
  netview/net_stat_reading.cpp
  res/Morvane.rc)
# windres finds the icon and the bitmaps named in the script through this path.
target_include_directories(Morvane PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/res)
target_link_libraries(Morvane PRIVATE morvane_skin)
# The network page's rows and IP database, the power page's records.
target_link_libraries(Morvane PRIVATE qx_host qx_frontend)
# Loaded by file name at every refresh of the network page.
add_dependencies(Morvane pelvoro)
target_link_options(Morvane PRIVATE -municode)
set_target_properties(Morvane PROPERTIES OUTPUT_NAME Morvane)
include(engine_import.cmake)
qx_link_quellix_by_ordinal(Morvane)
