# Helpers shared by every folder: one library per source folder, tests labelled by area.

set(PINDRAKE_WARNINGS -Wall -Wextra)

if(PINDRAKE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# pindrake_library(<name> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
# Sources and headers live in the calling folder; includes are rooted at src/.
function(pindrake_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${PINDRAKE_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# pindrake_test(<name> LABEL <area> SOURCES ... [DEPS ...] [OFFSCREEN] [X11] [TIMEOUT s])
#   OFFSCREEN: Qt widget tests on the offscreen platform, no display needed.
#   X11: runs under a private Xvfb display with a window manager, one X11 test at a time; such
#        tests also carry the label x11.
function(pindrake_test name)
  cmake_parse_arguments(ARG "OFFSCREEN;X11" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${PINDRAKE_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_X11 AND NOT ARG_OFFSCREEN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(env "PINDRAKE_RESOURCES=${PROJECT_BINARY_DIR}/resources" "OMP_THREAD_LIMIT=1")
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
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${ARG_TIMEOUT}
                       ENVIRONMENT "${env}")
endfunction()

# pindrake_bench(<area> SOURCES ... DEPS ...): one executable per area under build/bench/.
function(pindrake_bench area)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(name bench_${area})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${PINDRAKE_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bench)
endfunction()
