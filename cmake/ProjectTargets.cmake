# Settings shared by every target of our own (not by GoogleTest or Google Benchmark).

# Sources are UTF-8; the programs speak GBK (code page 936), so narrow literals are
# stored as GBK bytes.
function(project_target target)
  target_compile_options(${target} PRIVATE -fexec-charset=GBK -Wall -Wextra)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  if(PROJECT_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(WIN32)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()

# A GoogleTest program of our own. Registered with ctest; in the Windows build ctest
# runs it through the emulator (Wine). Each run leaves a JUnit-style XML report in
# ${PROJECT_BINARY_DIR}/test-results so scripts/test can count the cases.
function(project_test target)
  add_executable(${target} ${ARGN})
  project_target(${target})
  target_link_libraries(${target} PRIVATE GTest::gtest_main)
  set(report ${PROJECT_BINARY_DIR}/test-results/${target}.xml)
  if(WIN32)
    set(report "Z:${report}")  # Wine shows the Linux root as drive Z:
  endif()
  add_test(NAME ${target} COMMAND ${target} --gtest_output=xml:${report})
endfunction()

# A windowed Windows program: GUI subsystem, manifest and icon from its .rc file.
function(project_gui_program target)
  add_executable(${target} WIN32 ${ARGN})
  project_target(${target})
endfunction()
