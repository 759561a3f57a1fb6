# Run by ctest (script mode) before it runs the tests of one GoogleTest
# executable: lists the executable's test cases and defines one ctest test
# per test suite, which runs the suite's cases in one process.
#
# One process per suite instead of one per case: a sanitizer process costs
# about half a second of start-up, more than most cases take, and the
# listener of testsupport gives every case its own folder anyway.
#
# Input variables: KS_EXE, KS_WORKDIR, KS_LIST_VAR (receives the suite
# names), KS_CTEST_FILE (the generated definitions, kept until the
# executable changes), KS_CMAKE (cmake itself), KS_ENV (the test environment, also used for the
# listing so it never touches the user's configuration).

function(ks_define_suite_tests)
  set(out "")
  set(suites "")
  execute_process(
    COMMAND ${KS_CMAKE} -E env ${KS_ENV} "${KS_EXE}" --gtest_list_tests
    WORKING_DIRECTORY "${KS_WORKDIR}"
    TIMEOUT 120
    OUTPUT_VARIABLE listing
    ERROR_QUIET
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    # A test that fails, instead of an executable whose tests vanish.
    message(WARNING "${KS_EXE} --gtest_list_tests failed (${rc}):\n${listing}")
    file(WRITE "${KS_CTEST_FILE}"
      "add_test([==[${KS_LIST_VAR}_LISTING_FAILED]==] [==[${KS_CMAKE}]==] -E false)\n"
      "set(${KS_LIST_VAR} [==[${KS_LIST_VAR}_LISTING_FAILED]==])\n")
    return()
  endif()
  # Suite lines start in column 0 and end with '.', a typed or
  # parameterised suite may carry a trailing comment.
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^ #][^ ]*)\\.( *#.*)?$")
      list(APPEND suites "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(suite IN LISTS suites)
    string(APPEND out
      "add_test([==[${suite}]==] [==[${KS_EXE}]==] [==[--gtest_filter=${suite}.*]==] --gtest_also_run_disabled_tests)\n"
      "set_tests_properties([==[${suite}]==] PROPERTIES WORKING_DIRECTORY [==[${KS_WORKDIR}]==])\n")
  endforeach()
  string(APPEND out "set(${KS_LIST_VAR} [==[${suites}]==])\n")
  file(WRITE "${KS_CTEST_FILE}" "${out}")
endfunction()

ks_define_suite_tests()
