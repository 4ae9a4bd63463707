# The interactive terminal platform (Linux, macOS) and the `mazecast` program built on it.
if(NOT WIN32)
  # Pure pieces with no I/O: the input decoder, key holding, the window model, the virtual
  # pointer and the stream buffers. Tests link this directly.
  add_library(mazecast_terminal_logic STATIC
    ${CMAKE_CURRENT_LIST_DIR}/terminal_input_decoder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/control_sequence.cpp
    ${CMAKE_CURRENT_LIST_DIR}/key_tracker.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_screen.cpp
    ${CMAKE_CURRENT_LIST_DIR}/virtual_pointer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_streams.cpp
  )
  target_include_directories(mazecast_terminal_logic PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(mazecast_terminal_logic PRIVATE mazecast_warnings)

  # The platform functions themselves, over termios and escape sequences.
  add_library(mazecast_platform_terminal OBJECT
    ${CMAKE_CURRENT_LIST_DIR}/posix_terminal.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_input.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_output.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/terminal_signals.cpp
  )
  target_include_directories(mazecast_platform_terminal PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(mazecast_platform_terminal
    PUBLIC mazecast_terminal_logic
    PRIVATE mazecast_warnings)

  if(EXISTS ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
    add_executable(mazecast ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
    target_link_libraries(mazecast PRIVATE mazecast_core mazecast_platform_terminal
      mazecast_warnings)
  endif()
endif()
