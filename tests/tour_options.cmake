# viridio-tour's command line: options are options, never a folder to make.
# Run by CTest as cmake -DTOUR=<viridio-tour> -DWORK=<empty folder> -P this.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs the tour in WORK with the given arguments; fails unless it exits with
# status and says expected, and unless WORK is still empty after it.
function(tour status expected)
    execute_process(COMMAND "${TOUR}" ${ARGN} WORKING_DIRECTORY "${WORK}" TIMEOUT 60
        RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result STREQUAL status)
        message(FATAL_ERROR "viridio-tour ${ARGN}: exit ${result}, expected ${status}\n${out}${err}")
    endif()
    string(FIND "${out}${err}" "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "viridio-tour ${ARGN} did not say \"${expected}\":\n${out}${err}")
    endif()
    file(GLOB made LIST_DIRECTORIES true "${WORK}/*" "${WORK}/.*")
    if(made)
        message(FATAL_ERROR "viridio-tour ${ARGN} made ${made}")
    endif()
endfunction()

tour(0 "OUTPUT_FOLDER" --help)
tour(0 "OUTPUT_FOLDER" -h)
tour(0 "--help-all" --help-all)
tour(0 "viridio-tour 1.0" --version)
tour(2 "Unknown option 'colour'" --colour pages)
tour(2 "OUTPUT_FOLDER" --colour pages)
tour(2 "give one output folder")
tour(2 "give one output folder" one two)
