# Fails when a file has grown past its budget.
#
#   cmake -DFILE=<file> -DBUDGET=<bytes> -P check_size.cmake
file(SIZE "${FILE}" size)
if(size GREATER BUDGET)
    message(FATAL_ERROR "${FILE} is ${size} bytes, over its budget of ${BUDGET} bytes")
endif()
message(STATUS "${FILE}: ${size} bytes, budget ${BUDGET} bytes")
