# Warning flags for the project's own targets (not for third-party code such as GoogleTest).
add_library(mazecast_warnings INTERFACE)
if(MSVC)
  target_compile_options(mazecast_warnings INTERFACE /W4 /permissive-)
  if(MAZECAST_WERROR)
    target_compile_options(mazecast_warnings INTERFACE /WX)
  endif()
else()
  target_compile_options(mazecast_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion)
  if(MAZECAST_WERROR)
    target_compile_options(mazecast_warnings INTERFACE -Werror)
  endif()
endif()
