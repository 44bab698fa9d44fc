# One library per layer: every .cc of the folder belongs to it, so a new file needs no edit here.
function(vodare_layer name dir)
  file(GLOB _sources CONFIGURE_DEPENDS "${dir}/*.cc")
  if(_sources)
    add_library(${name} STATIC ${_sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# One test binary per layer folder, linking only what its tests include:
#   vodare_tests(name dir lib... [SLOW gtest-filter])
# Each TEST becomes its own CTest case at test time. The tests the SLOW filter selects (whole
# runs, replays of kept corpora) carry the label "slow", so `ctest -LE slow` leaves them out.
function(vodare_tests name dir)
  cmake_parse_arguments(PARSE_ARGV 2 _arg "" "SLOW" "")
  file(GLOB _sources CONFIGURE_DEPENDS "${dir}/*.cc")
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock GTest::gtest_main
                        ${_arg_UNPARSED_ARGUMENTS})
  target_compile_definitions(${name} PRIVATE
    VODARE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VODARE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set(_environment "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
  if(_arg_SLOW)
    # The label goes first: the discovery hands the properties on as one flat list, so the
    # environment's two settings would pair with whatever followed them.
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_FILTER "${_arg_SLOW}"
      PROPERTIES LABELS slow ENVIRONMENT "${_environment}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_FILTER "-${_arg_SLOW}"
      PROPERTIES ENVIRONMENT "${_environment}")
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "${_environment}")
  endif()
endfunction()
