# Helpers shared by every folder: one library per source folder, tests labelled by area.

set(PINDRAKE_WARNINGS -Wall -Wextra)

if(PINDRAKE_SANITIZE AND PINDRAKE_SANITIZE_THREAD)
  message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer: pick one")
endif()
if(PINDRAKE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(PINDRAKE_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# How much the test code is optimised in the optimised builds. -O1 compiles in about half the
# time of -O2; under a sanitizer -O1 costs as much as -O2 (clang instruments what the optimiser
# leaves, and -O1 leaves as much), while -O0 takes less than half.
if(PINDRAKE_SANITIZE OR PINDRAKE_SANITIZE_THREAD)
  set(PINDRAKE_TEST_OPTIMIZATION -O0)
else()
  set(PINDRAKE_TEST_OPTIMIZATION -O1)
endif()

# How many times slower the instrumented builds run our code. The tests' waits scale by it
# (tests/ and bench/ define it for tests/support/SanitizerSlowdown.h), and so do the suites' time
# limits.
if(PINDRAKE_SANITIZE_THREAD)
  set(PINDRAKE_SANITIZER_SLOWDOWN 10)
elseif(PINDRAKE_SANITIZE)
  set(PINDRAKE_SANITIZER_SLOWDOWN 4)
else()
  set(PINDRAKE_SANITIZER_SLOWDOWN 1)
endif()

# pindrake_test_timeout(<var> <seconds>): a suite's time limit for this build, the limit it has
# without a sanitizer scaled as its waits are.
function(pindrake_test_timeout var seconds)
  math(EXPR scaled "${seconds} * ${PINDRAKE_SANITIZER_SLOWDOWN}")
  set(${var} ${scaled} PARENT_SCOPE)
endfunction()

# What every test process starts with besides its own settings: no D-Bus session bus, whether or
# not the machine has one. A desktop's bus (or one libdbus would autolaunch on the test display
# where dbus-x11 is installed) would make what a suite does depend on what else runs there, and
# Qt would talk to it from a thread of its own. The slowdown scales the waits of the scripts that
# run tests (tests/support/with-x11, the data-loss checks) as it does the suites'.
set(PINDRAKE_TEST_ENVIRONMENT "DBUS_SESSION_BUS_ADDRESS=disabled:"
    "PINDRAKE_SANITIZER_SLOWDOWN=${PINDRAKE_SANITIZER_SLOWDOWN}")

# pindrake_library(<name> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
#
# One library per source folder (a folder of headers alone makes an interface library).
#   SOURCES       its .cpp and .h files, relative to the calling folder (a subfolder is fine).
#   DEPS          what its headers need: pindrake libraries or imported targets; whoever links
#                 this library gets them too.
#   PRIVATE_DEPS  what only its .cpp files need.
#
# Includes are written from src/ ("clipboard/HistoryStore.h"), but a target sees only the
# headers of the libraries it links. Each library publishes the headers listed in its SOURCES
# through a folder of its own in the build tree, <build>/include/<name>/, holding a link per
# header at the header's path under src/; that folder is the library's only include directory.
# Including a header of a library the target does not link is thus a compile error: the build
# itself enforces the layering. A new header must be listed in SOURCES to be includable.
function(pindrake_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  set(compiled ${ARG_SOURCES})
  list(FILTER compiled INCLUDE REGEX "\\.(c|cpp)$")
  if(compiled)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${PINDRAKE_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    set(scope PUBLIC)
  else()
    add_library(${name} INTERFACE ${ARG_SOURCES})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} ${ARG_PRIVATE_DEPS})
    set(scope INTERFACE)
  endif()
  pindrake_publish_headers(${name} ${scope} ${ARG_SOURCES})
endfunction()

# Links the headers among the given sources into <build>/include/<name>/ and makes that folder
# the target's include directory.
function(pindrake_publish_headers name scope)
  set(include_dir ${PROJECT_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${include_dir}) # links of headers no longer listed must go
  file(MAKE_DIRECTORY ${include_dir})
  foreach(source IN LISTS ARGN)
    if(NOT source MATCHES "\\.h$")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE
               OUTPUT_VARIABLE header)
    set(src_dir ${PROJECT_SOURCE_DIR}/src)
    cmake_path(IS_PREFIX src_dir ${header} NORMALIZE under_src)
    if(NOT under_src)
      message(FATAL_ERROR "${name}: the header ${source} is not under src/")
    endif()
    cmake_path(RELATIVE_PATH header BASE_DIRECTORY ${src_dir} OUTPUT_VARIABLE relative)
    cmake_path(GET relative PARENT_PATH folder)
    file(MAKE_DIRECTORY ${include_dir}/${folder})
    file(CREATE_LINK ${header} ${include_dir}/${relative} SYMBOLIC)
  endforeach()
  target_include_directories(${name} ${scope} ${include_dir})
endfunction()

# pindrake_test(<name> LABEL <area> SOURCES ... [DEPS ...] [OFFSCREEN] [X11] [TIMEOUT s])
#   TIMEOUT: the suite's time limit without a sanitizer (default 300 s), scaled in sanitizer
#        builds.
#   OFFSCREEN: Qt widget tests on the offscreen platform, no display needed.
#   X11: runs under a private Xvfb display with a window manager, one X11 test at a time; such
#        tests also carry the label x11.
# A test sees the headers of the libraries in its DEPS (and tests/ for shared test support),
# nothing else, like any other target. The test carries its executable's name, which is how
# scripts/ci-extras builds only the suites a job runs.
function(pindrake_test name)
  cmake_parse_arguments(ARG "OFFSCREEN;X11" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  # Test code is built for a quick build: its sources compile together, a few per compiler run,
  # so the heavy headers (gtest, Qt) are read once per group rather than once per file, and
  # with little optimisation in the optimised builds. The code under test keeps the build's own
  # level: the tests that time work measure the libraries' code.
  target_compile_options(${name} PRIVATE ${PINDRAKE_WARNINGS}
                         $<$<NOT:$<CONFIG:Debug>>:${PINDRAKE_TEST_OPTIMIZATION}>)
  set_target_properties(${name} PROPERTIES UNITY_BUILD ON)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_X11 AND NOT ARG_OFFSCREEN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  pindrake_test_timeout(timeout ${ARG_TIMEOUT})
  set(env ${PINDRAKE_TEST_ENVIRONMENT} "PINDRAKE_RESOURCES=${PROJECT_BINARY_DIR}/resources"
      "OMP_THREAD_LIMIT=1")
  if(PINDRAKE_SANITIZE)
    # Reports from uninstrumented system libraries, each explained in its file.
    list(APPEND env
      "UBSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/ubsan.supp:print_stacktrace=1"
      "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
  endif()
  if(PINDRAKE_SANITIZE_THREAD)
    # JavaScriptCore runs without its JIT, whose generated code TSan cannot see, and collects
    # on the allocating thread: its collector thread's hand-over deadlocks under TSan's runtime
    # (never without it).
    list(APPEND env
      "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1"
      "JSC_useJIT=false" "JSC_useConcurrentGC=false")
  endif()
  set(labels ${ARG_LABEL})
  if(ARG_X11)
    list(APPEND labels x11)
    add_test(NAME ${name}
             COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-x11 $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11)
    list(APPEND env "QT_QPA_PLATFORM=xcb")
  else()
    add_test(NAME ${name} COMMAND ${name})
    if(ARG_OFFSCREEN)
      list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${timeout}
                       ENVIRONMENT "${env}")
endfunction()

# pindrake_bench(<area> SOURCES ... DEPS ...): one executable per area under build/bench/.
function(pindrake_bench area)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(name bench_${area})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${PINDRAKE_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  # Benchmarks share the tests' support headers (temporary folders, timing).
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endfunction()
