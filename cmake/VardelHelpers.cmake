# Adds the sources of one core directory to the Qt-free core library.
function(vardel_core_sources dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.cpp)
  target_sources(vardel_core PRIVATE ${_srcs})
endfunction()

# One GoogleTest executable per source directory, registered with CTest.
# Extra arguments are further libraries to link.
function(vardel_add_test name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(test_${name} ${_srcs})
  target_link_libraries(test_${name} PRIVATE Vardel::options Vardel::testsupport GTest::gtest_main GTest::gmock ${ARGN})
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "VARDEL_TEST_DATA=${CMAKE_BINARY_DIR}/testdata;VARDEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};VARDEL_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    DISCOVERY_TIMEOUT 60)
endfunction()
