# The window's tests, for the Linux build and the Windows one. The reception dialog's test
# (gui/collect_test.cpp) drives a pseudo-terminal: only the Linux build adds it.
set(pelnor_gui_test_sources
  ${CMAKE_CURRENT_LIST_DIR}/gui_test_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_frame_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_chrome_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/views_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/view_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_services_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialogs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dialog_access_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_settings_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/year_view_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/held_file_wait_test.cpp
)
