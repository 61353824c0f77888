# The game as it ships: 32-bit Windows, run under Wine in a 32-bit prefix.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
