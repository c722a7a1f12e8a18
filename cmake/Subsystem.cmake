# One static library per subsystem folder; its sources are every .cpp below it.
function(launcher_subsystem name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${folder}/*.cpp")
  if(NOT sources)
    # An interface-only placeholder until the subsystem has sources of its own.
    set(sources "${PROJECT_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/Client")
endfunction()

# One test program per folder of tests/, registered with ctest case by case.
function(launcher_test_folder name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${folder}/*.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} launcher_test_support GTest::gtest GTest::gtest_main)
  # Tests find their committed fixtures below tests/ through this variable.
  target_compile_definitions(${name} PRIVATE LAUNCHER_TEST_DATA="${PROJECT_SOURCE_DIR}/tests")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
