# The same code as 64-bit Windows, run under Wine's 64-bit loader in a 64-bit
# prefix: tested on hosts that run no 32-bit program, and proof that no
# pointer passes through a 32-bit integer.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
