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
  # The test builds guard every frame that holds an array: a write past its
  # end ends the program at the function's return, as the sanitizers do for
  # the host build.
  add_compile_options($<$<CONFIG:Debug>:-fstack-protector-strong>)
  add_link_options($<$<CONFIG:Debug>:-fstack-protector-strong>)
endif()

if(WIN32)
  # Both word sizes build from this tree; the 64-bit tree's tests carry a 64 in
  # their names (wine64.*, e2e64.*) so that one ctest run can hold both.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TESSALY_ARCH x86_64)
    set(TESSALY_TEST_WORD 64)
  else()
    set(TESSALY_ARCH i686)
    set(TESSALY_TEST_WORD "")
  endif()
  get_filename_component(TESSALY_BUILD_ROOT ${CMAKE_BINARY_DIR} DIRECTORY)
endif()

# tessaly_windows_test(wine|e2e NAME COMMAND...): a test that runs Windows
# programs under Wine in the prefix of this tree's word size. They share the
# display, the pointer and the focus, so they never run side by side.
function(tessaly_windows_test kind name)
  set(test ${kind}${TESSALY_TEST_WORD}.${name})
  add_test(NAME ${test} COMMAND ${ARGN})
  set(timeout 600)
  if(kind STREQUAL "e2e")
    set(timeout 300)
  endif()
  set_tests_properties(${test} PROPERTIES RESOURCE_LOCK display TIMEOUT ${timeout}
    ENVIRONMENT "TESSALY_ARCH=${TESSALY_ARCH};TESSALY_BUILD_DIR=${TESSALY_BUILD_ROOT}")
endfunction()
