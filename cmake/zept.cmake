include_guard(GLOBAL)
include(GoogleTest)

# Adds every folder under ROOT that holds a CMakeLists.txt, outermost first; a folder
# below one that was added is left to its parent.
function(zept_add_folders root)
  if(NOT EXISTS "${PROJECT_SOURCE_DIR}/${root}")
    return()
  endif()
  file(GLOB_RECURSE lists RELATIVE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/${root}/*CMakeLists.txt")
  list(SORT lists)
  set(added "")
  foreach(f IN LISTS lists)
    get_filename_component(name "${f}" NAME)
    if(NOT name STREQUAL "CMakeLists.txt")
      continue()
    endif()
    get_filename_component(dir "${f}" DIRECTORY)
    set(covered OFF)
    foreach(a IN LISTS added)
      string(FIND "${dir}/" "${a}/" pos)
      if(pos EQUAL 0)
        set(covered ON)
      endif()
    endforeach()
    if(NOT covered)
      add_subdirectory("${PROJECT_SOURCE_DIR}/${dir}" "${PROJECT_BINARY_DIR}/${dir}")
      list(APPEND added "${dir}")
    endif()
  endforeach()
endfunction()

# zept_library(NAME SOURCES ... DEPS ...): a static library of one folder. Includes are
# rooted at platform/ and src/ so that headers read "Foundation/Value.h", "net/http/...".
function(zept_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/platform" "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
endfunction()

# zept_test(NAME SOURCES ... DEPS ...): a GoogleTest program; each test runs in its own
# process (fresh app home, TZ=Asia/Shanghai, C locale: see tests/support).
function(zept_test name)
  cmake_parse_arguments(A "" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE ${A_DEPS} zept_test_support)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "TZ=Asia/Shanghai;LC_ALL=C;ZEPT_RESOURCES=${PROJECT_SOURCE_DIR}/resources")
endfunction()

# zept_bench(NAME SOURCES ... DEPS ...): a Google Benchmark program (not run by CTest).
function(zept_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests" "${PROJECT_SOURCE_DIR}/bench")
  target_link_libraries(${name} PRIVATE ${A_DEPS} benchmark::benchmark benchmark::benchmark_main)
endfunction()
