# The Windows console platform and, on Windows, the `mazecast` program built on it. The platform
# objects compile wherever the Windows headers are (MSVC, MinGW, a MinGW cross build).
if(WIN32)
  add_library(mazecast_platform_windows OBJECT
    ${CMAKE_CURRENT_LIST_DIR}/win32_console.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_console_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_console_buffer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win32_glyphs.cpp
  )
  target_include_directories(mazecast_platform_windows PUBLIC ${PROJECT_SOURCE_DIR}/src)
  # Keep <windows.h> lean and its min/max macros out of the standard library's way.
  target_compile_definitions(mazecast_platform_windows PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601)
  target_link_libraries(mazecast_platform_windows PUBLIC user32 PRIVATE mazecast_warnings)

  add_executable(mazecast ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
  target_link_libraries(mazecast PRIVATE mazecast_core mazecast_platform_windows
    mazecast_warnings)
endif()
