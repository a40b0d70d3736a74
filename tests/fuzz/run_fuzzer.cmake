# Runs one fuzz target:
#   cmake -DFUZZER=<binary> -DSEEDS=<committed corpus> -DDICTIONARY=<tokens> -DWORK=<directory>
#         -DSECONDS=<time> [-DRUNS=<inputs>] -P run_fuzzer.cmake
# A RUNS above 0 runs that many inputs instead of running for SECONDS.
# The fuzzer works on a fresh copy of the seeds, so that the committed corpus stays as it is
# and every run starts from the same inputs. Its output goes to <WORK>/fuzz.log, which
# stats.sh reads; a crash or a failed property fails the test and leaves the input in
# <WORK>/artifacts.
foreach(variable FUZZER SEEDS DICTIONARY WORK SECONDS)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "run_fuzzer.cmake needs -D${variable}=...")
    endif()
endforeach()

if(RUNS GREATER 0)
    set(bound -runs=${RUNS})
else()
    set(bound -max_total_time=${SECONDS})
endif()

set(corpus ${WORK}/corpus)
set(artifacts ${WORK}/artifacts)
set(log ${WORK}/fuzz.log)
file(REMOVE_RECURSE ${corpus} ${artifacts})
file(MAKE_DIRECTORY ${corpus} ${artifacts})
file(COPY ${SEEDS}/ DESTINATION ${corpus})

execute_process(
    COMMAND ${FUZZER} ${bound} -rss_limit_mb=2048 -timeout=10
            -dict=${DICTIONARY} -print_final_stats=1 -artifact_prefix=${artifacts}/ ${corpus}
    RESULT_VARIABLE result
    OUTPUT_FILE ${log}
    ERROR_FILE ${log})

file(STRINGS ${log} executions REGEX "^stat::number_of_executed_units:")
if(NOT result EQUAL 0)
    file(READ ${log} output)
    string(LENGTH "${output}" length)
    set(start 0)
    if(length GREATER 6000)
        math(EXPR start "${length} - 6000")
    endif()
    string(SUBSTRING "${output}" ${start} -1 tail)
    file(GLOB found ${artifacts}/*)
    message(FATAL_ERROR "${FUZZER} failed (${result}); inputs kept: ${found}\n${tail}")
endif()
message(STATUS "${executions}")
