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
