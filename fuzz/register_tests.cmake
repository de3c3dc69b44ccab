# Included by the main build: registers with ctest the fuzz targets of a separate fuzz build
# (QUARNEL_FUZZ_BUILD_DIR), each as a replay of its seed corpus and as a bounded run.
set(QUARNEL_FUZZ_SECONDS 20 CACHE STRING "Length in seconds of each bounded fuzz run in ctest")
# An optional TIMEOUT (seconds) fails the bounded run on any input that takes longer.
function(quarnel_register_fuzz_tests name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "")
    set(per_input)
    if(arg_TIMEOUT)
        set(per_input -timeout=${arg_TIMEOUT})
    endif()
    set(binary ${QUARNEL_FUZZ_BUILD_DIR}/fuzz/${name})
    set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    # A target's temporary files (the registry target keeps a crowded Wine prefix between runs) go
    # to a folder of the build's own, never to the system's temporary folder, which other users
    # share.
    set(temp ${CMAKE_BINARY_DIR}/fuzz-temp/${name})
    file(MAKE_DIRECTORY ${temp})
    add_test(NAME fuzz.${name}.replay COMMAND ${CMAKE_COMMAND} -E env TMPDIR=${temp} ${binary} -runs=0 ${corpus})
    # libFuzzer adds what it finds to the first folder it is given: keep that in the build folder,
    # so the committed seeds stay as they are.
    set(found ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    file(MAKE_DIRECTORY ${found})
    add_test(NAME fuzz.${name}.bounded
             COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1 TMPDIR=${temp}
                     ${binary} -max_total_time=${QUARNEL_FUZZ_SECONDS} ${per_input} -max_len=16384 -print_final_stats=1
                     -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-artifacts/ ${found} ${corpus})
    math(EXPR timeout "${QUARNEL_FUZZ_SECONDS} + 140")
    set_tests_properties(fuzz.${name}.bounded PROPERTIES TIMEOUT ${timeout})
endfunction()
