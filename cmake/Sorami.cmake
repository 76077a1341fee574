# Helpers shared by the CMake files of the project.

# sorami_library(NAME DIR DEPS...): a static library of the plain C++ files of src/DIR
# (its own folder only: not ui/ nor deeper folders), linked against the floors below it.
# These libraries include no Qt header.
function(sorami_library name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
  if(_srcs)
    add_library(${name} STATIC ${_srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()
# sorami_test(NAME DIR LIBS...): one GoogleTest executable from tests/DIR/*.cpp, run by CTest.
# Tests run with the configuration and data directories pointed at a scratch folder, and with
# a session bus address that leads nowhere, so no test reaches the desktop's own keyring
# (a test that needs a bus starts its own).
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
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SORAMI_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/sorami-tests"
    TIMEOUT 600)
endfunction()

# sorami_harden(): the programs and libraries of the calling folder (the ones the packages
# ship) built as a distribution builds its packages: fortified string and memory calls, stack
# protection, position-independent executables and a read-only relocation table bound at
# start. Optimised builds only (fortify needs the optimiser); a fuzz build keeps its own flags.
macro(sorami_harden)
  if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$" AND NOT SORAMI_BUILD_FUZZ)
    add_compile_options(-D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat
                        -Werror=format-security)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  endif()
endmacro()
