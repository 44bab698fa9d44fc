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

# One test binary per layer folder; each TEST becomes its own CTest case at test time.
function(vodare_tests name dir)
  file(GLOB _sources CONFIGURE_DEPENDS "${dir}/*.cc")
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE vodare_testsupport GTest::gtest GTest::gmock GTest::gtest_main ${ARGN})
  target_compile_definitions(${name} PRIVATE
    VODARE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VODARE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0")
endfunction()
