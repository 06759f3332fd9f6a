# Runs one fuzz target for a bounded time over a copy of its seed corpus.
# -DFUZZER=<executable> -DSEEDS=<seed directory> -DWORK=<scratch directory>
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
execute_process(
  COMMAND ${FUZZER} -runs=300000 -max_total_time=60 -max_len=512 -timeout=10
          -print_final_stats=1 -artifact_prefix=${WORK}/ ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzzer failed (${result}); the failing input is in ${WORK}")
endif()
