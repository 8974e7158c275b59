# quorbel_test(NAME SOURCES... LIBS libs...)
# One GoogleTest executable whose cases CTest runs one by one, on the offscreen platform.
# The test main supplies the source and program folders (tests/support/CMakeLists.txt).
function(quorbel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE quorbel_testsupport ${T_LIBS})
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    DISCOVERY_TIMEOUT 60)
endfunction()

# quorbel_fuzz(NAME SOURCES... LIBS libs...)
# A libFuzzer target, built only with QUORBEL_FUZZ into <build>/fuzz; `make fuzz` runs each.
function(quorbel_fuzz name)
  if(NOT QUORBEL_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_property(GLOBAL APPEND PROPERTY QUORBEL_FUZZ_TARGETS ${name})
endfunction()
