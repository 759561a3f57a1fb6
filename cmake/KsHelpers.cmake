# Build helpers shared by every target of the project.

function(ks_optional_subdirectory dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# ks_add_component(<name> SOURCES ... [LIBS ...] [NO_UNITY])
# An in-process automation component: a shared library whose only exported
# symbols are the four entry points. Hidden visibility and
# --exclude-libs keep framework copies of several components apart.
# NO_UNITY compiles each source on its own in the test build (sources whose
# file-local names collide; renaming them is better).
function(ks_add_component name)
  cmake_parse_arguments(ARG "NO_UNITY" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  if(ARG_NO_UNITY)
    set_target_properties(${name} PROPERTIES UNITY_BUILD OFF)
  endif()
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  set(map ${PROJECT_SOURCE_DIR}/cmake/component.map)
  target_link_options(${name} PRIVATE
    -Wl,--exclude-libs,ALL
    -Wl,--version-script=${map}
    ${KS_LINK_NO_UNDEFINED})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${map})
  if(ARG_LIBS)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  endif()
endfunction()

# ks_add_qt_plugin(<name> SOURCES ... [LIBS ...])
# A Qt plug-in the host loads with QPluginLoader: a module without prefix
# in the build's lib folder whose only exported symbols are Qt's three
# plug-in entry points; hidden visibility and --exclude-libs keep the
# copies of the libraries it links its own.
function(ks_add_qt_plugin name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  set(map ${PROJECT_SOURCE_DIR}/cmake/qtplugin.map)
  target_link_options(${name} PRIVATE
    -Wl,--exclude-libs,ALL
    -Wl,--version-script=${map}
    ${KS_LINK_NO_UNDEFINED})
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${map})
  if(ARG_LIBS)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  endif()
endfunction()

# ks_test_environment(<out> <name> [NAME=value...])
# The environment every test process runs in: offscreen widgets, a
# registry and settings folder of the test's own, sanitizer options.
function(ks_test_environment out name)
  set(${out}
    QT_QPA_PLATFORM=offscreen
    KESTROM_REGISTRY=${CMAKE_BINARY_DIR}/testtmp/${name}/registry
    XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/testtmp/${name}/config
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_odr_violation=0
    LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    ${ARGN}
    PARENT_SCOPE)
endfunction()

# ks_check_alone(<target>)
# In a batch a source sees every header its neighbours before it included,
# so one that forgot an include still compiles there and fails in a build
# without batches. This checks each such source of <target> on its own with
# the target's flags (syntax only, no code made; cmake/compile-alone.sh) as
# part of the build, so a missing include fails the test build too. The
# first source of each batch and the sources kept out of batches already
# compile alone. Runs at the end of the directory, once the target's
# sources and their properties are final.
function(ks_check_alone name)
  # A deferred call reads its arguments when it runs: pass the name as text.
  cmake_language(EVAL CODE "cmake_language(DEFER CALL ks_check_alone_now [[${name}]])")
endfunction()

function(ks_check_alone_now name)
  get_target_property(all ${name} SOURCES)
  get_target_property(batch ${name} UNITY_BUILD_BATCH_SIZE)
  if(NOT batch)
    set(batch 8)
  endif()
  set(sources)
  set(index 0)
  foreach(src IN LISTS all)
    if(NOT src MATCHES "\\.(cpp|cc|cxx)$")
      continue()
    endif()
    get_source_file_property(skip ${src} SKIP_UNITY_BUILD_INCLUSION)
    if(skip)
      continue()
    endif()
    math(EXPR place "${index} % ${batch}")
    if(NOT place EQUAL 0)
      list(APPEND sources ${src})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  if(NOT sources)
    return()
  endif()
  set(alone ${name}_alone)
  add_library(${alone} OBJECT ${sources})
  set_target_properties(${alone} PROPERTIES
    UNITY_BUILD OFF
    CXX_COMPILER_LAUNCHER ${PROJECT_SOURCE_DIR}/cmake/compile-alone.sh)
  get_target_property(automoc ${name} AUTOMOC)
  if(automoc)
    set_target_properties(${alone} PROPERTIES AUTOMOC ON)
  endif()
  # The target's own flags, its libraries' usage requirements included.
  target_include_directories(${alone} PRIVATE $<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>)
  target_compile_definitions(${alone} PRIVATE $<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>)
  target_compile_options(${alone} PRIVATE $<TARGET_PROPERTY:${name},COMPILE_OPTIONS>)
endfunction()

# ks_add_test(<name> SOURCES ... [LIBS ...] LABELS ... [NO_MAIN] [NO_UNITY]
#             [SLOW Suite.Case ...])
# A GoogleTest executable. Each test case runs in a fresh temporary folder
# (see testsupport): registry, settings and temporary files never touch the
# user's configuration. Widget tests use the offscreen platform.
# The test cases named after SLOW (over ten seconds on two cores) also
# carry the label slow; they still run with all the others.
# NO_UNITY: see ks_add_component.
function(ks_add_test name)
  if(NOT KS_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "NO_MAIN;NO_UNITY" "TIMEOUT" "SOURCES;LIBS;LABELS;ENVIRONMENT;SLOW" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(ARG_NO_UNITY)
    set_target_properties(${name} PROPERTIES UNITY_BUILD OFF)
  endif()
  if(ARG_NO_MAIN)
    target_link_libraries(${name} PRIVATE kstestsupport GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE kstestsupport_main kstestsupport GTest::gtest GTest::gmock)
  endif()
  if(ARG_LIBS)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  endif()
  target_compile_definitions(${name} PRIVATE
    KS_REALDATA_DIR="${KS_REALDATA_DIR}"
    KS_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    KS_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}"
    KS_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KS_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  if(KS_UNITY_BUILD AND NOT ARG_NO_UNITY)
    ks_check_alone(${name})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 600)
  endif()
  ks_test_environment(env ${name} ${ARG_ENVIRONMENT})
  # One ctest test per test suite, defined when ctest runs (the suites are
  # known only once the executable is built): see KsTestSuites.cmake. The
  # properties follow from a script of our own, with list values intact.
  set(suites_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake)
  file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake CONTENT
"if(EXISTS [==[$<TARGET_FILE:${name}>]==])
  if(NOT EXISTS [==[${suites_file}]==] OR
     NOT [==[${suites_file}]==] IS_NEWER_THAN [==[$<TARGET_FILE:${name}>]==] OR
     NOT [==[${suites_file}]==] IS_NEWER_THAN \"\${CMAKE_CURRENT_LIST_FILE}\")
    set(KS_EXE [==[$<TARGET_FILE:${name}>]==])
    set(KS_WORKDIR [==[${CMAKE_CURRENT_BINARY_DIR}]==])
    set(KS_LIST_VAR ${name}_TESTS)
    set(KS_CTEST_FILE [==[${suites_file}]==])
    set(KS_CMAKE [==[${CMAKE_COMMAND}]==])
    set(KS_ENV [==[${env}]==])
    include([==[${PROJECT_SOURCE_DIR}/cmake/KsTestSuites.cmake]==])
  endif()
  include([==[${suites_file}]==])
else()
  add_test(${name}_NOT_BUILT ${name}_NOT_BUILT)
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES
    ${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake)
  set(props_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${props_file}
    "if(DEFINED ${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES\n"
    "    LABELS [==[${ARG_LABELS}]==]\n"
    "    ENVIRONMENT [==[${env}]==]\n"
    "    TIMEOUT ${ARG_TIMEOUT})\n"
    "endif()\n")
  # ctest reads these files under CMake's oldest policies, where IN_LIST
  # is no operator: list(FIND) works under every policy.
  foreach(slow_case IN LISTS ARG_SLOW)
    string(REGEX REPLACE "\\.[^.]*$" "" slow "${slow_case}")
    file(APPEND ${props_file}
      "if(DEFINED ${name}_TESTS)\n"
      "  list(FIND ${name}_TESTS [==[${slow}]==] ks_slow_at)\n"
      "  if(NOT ks_slow_at EQUAL -1)\n"
      "    set_tests_properties([==[${slow}]==] PROPERTIES LABELS [==[${ARG_LABELS};slow]==])\n"
      "  else()\n"
      "    message(WARNING [==[${name}: no test suite ${slow} to label slow]==])\n"
      "  endif()\n"
      "endif()\n")
  endforeach()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${props_file})
endfunction()

# ks_add_benchmark(<name> SOURCES ... [LIBS ...])
# Google Benchmark executable; only in release builds without sanitizers,
# never registered with ctest.
function(ks_add_benchmark name)
  if(NOT KS_BUILD_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark benchmark::benchmark_main ${ARG_LIBS})
  if(TARGET ks_bench_note)
    target_link_libraries(${name} PRIVATE ks_bench_note)
  endif()
  target_compile_definitions(${name} PRIVATE
    KS_REALDATA_DIR="${KS_REALDATA_DIR}"
    KS_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    KS_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KS_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
endfunction()

# ks_add_fuzzer(<name> SOURCES ... [LIBS ...] CORPUS <dir> LABELS ...
#               [MAX_LEN bytes] [TIMEOUT seconds] [RSS_MB megabytes])
# A fuzz target defining LLVMFuzzerTestOneInput. In the fuzz build
# (KS_FUZZ, clang) it is a libFuzzer binary that scripts/fuzz runs with
# the given limits, starting from the committed corpus. In the test build
# it is a program replaying every file of the corpus once: the ctest test
# fuzz.<name>, labelled fuzz-regression and LABELS, so every input a
# fuzzer ever found stays a regression test.
function(ks_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;MAX_LEN;TIMEOUT;RSS_MB" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_CORPUS)
    message(FATAL_ERROR "ks_add_fuzzer(${name}): CORPUS is required")
  endif()
  get_filename_component(corpus ${ARG_CORPUS} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT ARG_MAX_LEN)
    set(ARG_MAX_LEN 65536)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 10)
  endif()
  if(NOT ARG_RSS_MB)
    set(ARG_RSS_MB 2048)
  endif()
  if(KS_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ksfuzzsupport ${ARG_LIBS})
    add_dependencies(ks_fuzzers ${name})
    file(APPEND ${KS_FUZZ_MANIFEST}
      "${name}\t${corpus}\t${ARG_MAX_LEN}\t${ARG_TIMEOUT}\t${ARG_RSS_MB}\n")
  elseif(KS_BUILD_TESTS)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ksfuzzdriver ksfuzzsupport ${ARG_LIBS})
    add_test(NAME fuzz.${name} COMMAND ${name} ${corpus})
    ks_test_environment(env ${name})
    set_tests_properties(fuzz.${name} PROPERTIES
      LABELS "fuzz-regression;${ARG_LABELS}"
      ENVIRONMENT "${env}"
      TIMEOUT 600)
  endif()
endfunction()
