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
# rooted at platform/ and src/ so that headers read "Foundation/Value.h", "net/http/..."; a
# library outside them (server/) is included from the top ("server/...").  The library itself
# sees only the headers of the libraries that the layer table lets it use (zept_finish_layers);
# tests, benchmarks and programs see every root.
function(zept_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  set(unlayered "$<NOT:$<BOOL:$<TARGET_PROPERTY:ZEPT_LAYERED>>>")
  target_include_directories(${name} INTERFACE
    "$<${unlayered}:${PROJECT_SOURCE_DIR}/platform>" "$<${unlayered}:${PROJECT_SOURCE_DIR}/src>")
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  if(NOT folder MATCHES "^(platform|src)/")
    target_include_directories(${name} INTERFACE "$<${unlayered}:${PROJECT_SOURCE_DIR}>")
  endif()
  set_target_properties(${name} PROPERTIES ZEPT_LAYERED ON ZEPT_FOLDER "${folder}")
  set_property(GLOBAL APPEND PROPERTY ZEPT_LIBRARIES ${name})
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
endfunction()

# After every folder is added: writes the links between the libraries of the layer table to
# <build>/layers/links.txt for the check (cmake/CheckLayers.cmake), and gives each library an
# include root of its own, <build>/layers/include/<library>, that holds links to its own folder
# and to the folders of the lines above it, so that an include of a higher layer does not
# compile.
function(zept_finish_layers)
  include("${PROJECT_SOURCE_DIR}/cmake/ZeptLayers.cmake")
  set(table "${PROJECT_SOURCE_DIR}/cmake/layers.txt")
  set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${table}")
  zept_layers_read(TABLE "${table}" FOLDERS folders LAYERS layers ERRORS errors)
  foreach(e IN LISTS errors)
    message(WARNING "${e}")
  endforeach()
  set(out "${PROJECT_BINARY_DIR}/layers")

  # Links of every target defined in the folders of platform/, src/ and server/.
  get_property(libraries GLOBAL PROPERTY ZEPT_LIBRARIES)
  set(lines "")
  set(targets "")
  foreach(root platform src server)
    file(GLOB_RECURSE lists RELATIVE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/${root}/CMakeLists.txt"
         "${PROJECT_SOURCE_DIR}/${root}/*/CMakeLists.txt")
    foreach(list_file IN LISTS lists)
      get_filename_component(dir "${list_file}" DIRECTORY)
      get_property(defined DIRECTORY "${PROJECT_SOURCE_DIR}/${dir}" PROPERTY BUILDSYSTEM_TARGETS)
      foreach(t IN LISTS defined)
        get_target_property(type ${t} TYPE)
        if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|INTERFACE_LIBRARY|EXECUTABLE)$")
          list(APPEND targets ${t})
          set_property(TARGET ${t} PROPERTY ZEPT_FOLDER "${dir}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  foreach(t IN LISTS targets)
    get_target_property(folder ${t} ZEPT_FOLDER)
    string(APPEND lines "target ${folder} ${t}\n")
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(deps ${t} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(deps ${t} LINK_LIBRARIES)
    endif()
    foreach(d IN LISTS deps)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" d "${d}")
      if(TARGET "${d}" AND "${d}" IN_LIST targets)
        get_target_property(to ${d} ZEPT_FOLDER)
        string(APPEND lines "link ${folder} ${t} ${to} ${d}\n")
      endif()
    endforeach()
  endforeach()
  file(WRITE "${out}/links.txt.new" "${lines}")
  file(COPY_FILE "${out}/links.txt.new" "${out}/links.txt" ONLY_IF_DIFFERENT)
  file(REMOVE "${out}/links.txt.new")

  # Include roots.
  list(LENGTH folders count)
  foreach(name IN LISTS libraries)
    get_target_property(folder ${name} ZEPT_FOLDER)
    list(FIND folders "${folder}" line)
    set(root "${out}/include/${name}")
    file(REMOVE_RECURSE "${root}")
    file(MAKE_DIRECTORY "${root}")
    if(line EQUAL -1)
      # Not in the table yet (the check says so): it sees what it always saw.
      target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/platform" "${PROJECT_SOURCE_DIR}/src")
      continue()
    endif()
    set(visible "")
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
      zept_layers_may_use(${line} ${i} "${layers}" allowed)
      if(allowed)
        list(GET folders ${i} f)
        if(IS_DIRECTORY "${PROJECT_SOURCE_DIR}/${f}")
          zept_layers_include_prefix("${f}" prefix)
          # "!" sorts before "/": a folder comes before the folders nested in it.
          list(APPEND visible "${prefix}!${f}")
        endif()
      endif()
    endforeach()
    list(SORT visible)
    set(linked "")
    foreach(entry IN LISTS visible)
      string(REGEX MATCH "^[^!]+" prefix "${entry}")
      string(REGEX REPLACE "^[^!]+!" "" f "${entry}")
      # A folder nested in one already linked is seen through that link.
      set(covered FALSE)
      foreach(l IN LISTS linked)
        string(FIND "${prefix}/" "${l}/" at)
        if(at EQUAL 0)
          set(covered TRUE)
        endif()
      endforeach()
      if(covered)
        continue()
      endif()
      get_filename_component(parent "${root}/${prefix}" DIRECTORY)
      file(MAKE_DIRECTORY "${parent}")
      file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${f}" "${root}/${prefix}" SYMBOLIC)
      list(APPEND linked "${prefix}")
    endforeach()
    target_include_directories(${name} PRIVATE "${root}")
  endforeach()
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

# zept_fuzz_target(NAME SOURCES ... DEPS ...): a libFuzzer target (clang only), written to
# <build>/fuzz/NAME.  The sources of what it fuzzes are listed among SOURCES, so that they carry
# the coverage and sanitizer instrumentation without changing the libraries the rest of the
# build links; DEPS give the rest.  Its saved inputs live in fuzz/corpus/<NAME without
# "_fuzzer">, replayed by a test of the ordinary build.
function(zept_fuzz_target name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(STATUS "${name} needs clang; skipped")
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE
    "${PROJECT_SOURCE_DIR}/platform" "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/fuzz")
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/fuzz")
endfunction()

# zept_test_fuzz_checks(TEST SOURCES...): the test program replays saved fuzz inputs through
# the targets' own checks (their sources, given here); ZEPT_FUZZ_CORPUS names fuzz/corpus.
function(zept_test_fuzz_checks name)
  target_sources(${name} PRIVATE ${ARGN})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/fuzz")
  target_compile_definitions(${name} PRIVATE ZEPT_FUZZ_CORPUS="${PROJECT_SOURCE_DIR}/fuzz/corpus")
endfunction()
