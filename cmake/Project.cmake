# Settings shared by every target of the project.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
option(TESSALY_SANITIZE "Host build: AddressSanitizer and UBSan" ON)

# Warnings are errors for the project's own code (not for GoogleTest's).
# Source files are UTF-8; narrow literals become code page 932 (Shift-JIS) bytes.
function(tessaly_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
    $<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8 -fexec-charset=CP932>)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  if(WIN32)
    target_compile_definitions(${target} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX
      _WIN32_WINNT=0x0501 WINVER=0x0501 _WIN32_IE=0x0501)
  endif()
endfunction()

function(tessaly_library name)
  add_library(${name} STATIC ${ARGN})
  tessaly_options(${name})
endfunction()

if(WIN32)
  # The executables run on their own: no MinGW runtime DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
