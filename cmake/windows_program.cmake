# The product: TarvicUpdateHelper.exe, one small standalone PE32 GUI executable.
enable_language(RC)

set(APP_ICON ${CMAKE_BINARY_DIR}/res/app.ico)
file(GLOB ICON_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/icon/*)
add_custom_command(
  OUTPUT ${APP_ICON}
  COMMAND ${CMAKE_SOURCE_DIR}/res/icon/make_icon.sh ${APP_ICON}
  DEPENDS ${ICON_SOURCES}
  COMMENT "Rendering the application icon")
add_custom_target(app_icon DEPENDS ${APP_ICON})

add_executable(TarvicUpdateHelper WIN32
  app/TarvicUpdateHelper.cpp
  ui/TarvicUpdateHelperDlg.cpp
  framework/cmd_target.cpp
  framework/common_controls.cpp
  framework/control_container.cpp
  framework/dialog.cpp
  framework/dll_search.cpp
  framework/message_box.cpp
  framework/paint_dc.cpp
  framework/satellite_module.cpp
  framework/win_app.cpp
  framework/win_main.cpp
  framework/wnd.cpp
  res/TarvicUpdateHelper.rc
)
add_dependencies(TarvicUpdateHelper app_icon)
set_source_files_properties(res/TarvicUpdateHelper.rc PROPERTIES
  OBJECT_DEPENDS "${APP_ICON};${CMAKE_SOURCE_DIR}/res/app.manifest;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/version.h")
target_include_directories(TarvicUpdateHelper PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/res)
target_link_libraries(TarvicUpdateHelper PRIVATE portable actions_win32)
target_compile_options(TarvicUpdateHelper PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Werror -fno-exceptions -fno-rtti -Os -ffunction-sections -fdata-sections>)
target_link_options(TarvicUpdateHelper PRIVATE
  -municode -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections
  -Wl,--subsystem,windows:5.0 -Wl,--major-os-version,5 -Wl,--minor-os-version,0
  -Wl,--dynamicbase -Wl,--nxcompat
  # On a terminal server GetWindowsDirectoryW, where a bare uninstaller name is
  # looked for, could otherwise give a per-user folder the user can write to.
  -Wl,--tsaware)
