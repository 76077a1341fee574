# Helpers shared by the CMake files of the project.

# sorami_subsystem(NAME DEPS...): a static library of the plain C++ files of src/NAME
# (everything outside ui/), linked against the given libraries. These libraries make up
# sorami_core and include no Qt header.
function(sorami_subsystem name)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(_srcs)
    add_library(sorami_${name} STATIC ${_srcs})
  else()
    add_library(sorami_${name} INTERFACE)
  endif()
  get_target_property(_type sorami_${name} TYPE)
  if(_type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(sorami_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(sorami_${name} INTERFACE ${ARGN})
  else()
    target_include_directories(sorami_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(sorami_${name} PUBLIC ${ARGN})
  endif()
endfunction()

# sorami_test(NAME DIR LIBS...): one GoogleTest executable from tests/DIR/*.cpp, run by CTest.
# Tests run with the configuration and data directories pointed at a scratch folder.
function(sorami_test name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(${name} ${_srcs})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main GTest::gmock sorami_testsupport)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SORAMI_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
    TIMEOUT 600)
endfunction()
