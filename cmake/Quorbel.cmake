# quorbel_test(NAME SOURCES... LIBS libs...)
# One GoogleTest executable whose cases CTest runs one by one, on the offscreen platform.
# The test main supplies the source and program folders (tests/support/CMakeLists.txt).
#   TIMEOUT seconds: a shorter limit than the run's for cases that drive a host library (SANE's
#   test backend), so that a hang fails fast and names its case.
function(quorbel_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE quorbel_testsupport ${T_LIBS})
  if(QUORBEL_TSAN)
    # The checker's view of the processes a test starts (see the file).
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/tsan_clone.cpp)
    target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS})
  endif()
  if(QUORBEL_TEST_PCH)
    target_precompile_headers(${name} REUSE_FROM quorbel_testpch)
  endif()
  set(limit)
  if(T_TIMEOUT)
    set(limit TIMEOUT ${T_TIMEOUT})
  endif()
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${limit}
    DISCOVERY_TIMEOUT 60)
endfunction()

# quorbel_header_check(DIR)
# Every header under DIR compiles on its own: one generated source per header that includes
# nothing else, compiled (not linked) as part of the build.
function(quorbel_header_check dir)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  set(sources)
  foreach(header IN LISTS headers)
    string(MAKE_C_IDENTIFIER ${header} stem)
    set(source ${CMAKE_BINARY_DIR}/header_check/${stem}.cpp)
    file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n" @ONLY)
    list(APPEND sources ${source})
  endforeach()
  add_library(quorbel_header_check OBJECT ${sources})
  target_include_directories(quorbel_header_check PRIVATE ${CMAKE_SOURCE_DIR}/${dir})
  target_link_libraries(quorbel_header_check PRIVATE
    Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport Qt6::Multimedia Qt6::Sql)
  set_target_properties(quorbel_header_check PROPERTIES AUTOMOC OFF)
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
