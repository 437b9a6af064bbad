# Initial cache for the CI builds (cmake -C): CI reads failures from the tests' output, never in
# a debugger, so line tables (file and line in sanitizer reports and backtraces) are all the debug
# information it needs. They compile in about two thirds of the time of full debug information,
# and the generated code is the same.
set(CMAKE_C_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG" CACHE STRING "")
