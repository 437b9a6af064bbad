# cmark-gfm, built here from Debian's source package plus our patches (deps/cmark-gfm/fetch
# puts the tree in deps/cmark-gfm/src/). It is linked statically, so this patched copy is the
# only one in the process, whatever the system has installed.
#
# Targets: cmark_gfm::cmark_gfm (core) and cmark_gfm::extensions (table, strikethrough, ...).
# Consumers see only the public headers, from one include folder.

block(SCOPE_FOR VARIABLES)
  set(deps_dir ${PROJECT_SOURCE_DIR}/deps/cmark-gfm)
  set(source_dir ${deps_dir}/src/cmark-gfm)
  set(binary_dir ${PROJECT_BINARY_DIR}/deps/cmark-gfm)
  set(include_dir ${PROJECT_BINARY_DIR}/deps/cmark-gfm-include)

  # A tree unpacked for another patch set must not be built silently: re-check it whenever a
  # patch is added, removed or edited, or the tree is re-fetched.
  file(GLOB patches CONFIGURE_DEPENDS ${deps_dir}/patches/*.patch)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${patches} ${deps_dir}/fetch)
  execute_process(COMMAND sh ${deps_dir}/fetch --check RESULT_VARIABLE current)
  if(NOT current EQUAL 0)
    message(FATAL_ERROR
      "The cmark-gfm source in deps/cmark-gfm/src/ is missing or was not made from the "
      "patches in deps/cmark-gfm/patches/. Run scripts/setup (or deps/cmark-gfm/fetch) and "
      "configure again.")
  endif()
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${deps_dir}/src/stamp)

  # The upstream options are declared with option(); cache entries set first take precedence.
  set(CMARK_TESTS OFF CACHE INTERNAL "")
  set(CMARK_SHARED OFF CACHE INTERNAL "")
  set(CMARK_STATIC ON CACHE INTERNAL "")
  set(CMARK_LIB_FUZZER OFF CACHE INTERNAL "")
  # Its CMake files predate current CMake; their deprecation notices are not ours to fix.
  # The switch is only read from the cache, so it is set there and put back afterwards.
  if(DEFINED CACHE{CMAKE_WARN_DEPRECATED})
    set(warn_deprecated "$CACHE{CMAKE_WARN_DEPRECATED}")
  endif()
  set(CMAKE_WARN_DEPRECATED OFF CACHE BOOL "" FORCE)
  add_subdirectory(${source_dir} ${binary_dir} EXCLUDE_FROM_ALL)
  if(DEFINED warn_deprecated)
    set(CMAKE_WARN_DEPRECATED "${warn_deprecated}" CACHE BOOL "" FORCE)
  else()
    unset(CMAKE_WARN_DEPRECATED CACHE)
  endif()

  foreach(header src/cmark-gfm.h src/cmark-gfm-extension_api.h
                 extensions/cmark-gfm-core-extensions.h)
    cmake_path(GET header FILENAME name)
    configure_file(${source_dir}/${header} ${include_dir}/${name} COPYONLY)
  endforeach()
  # Written by the upstream configure step above.
  foreach(header src/cmark-gfm_export.h src/cmark-gfm_version.h
                 extensions/cmark-gfm-extensions_export.h)
    cmake_path(GET header FILENAME name)
    configure_file(${binary_dir}/${header} ${include_dir}/${name} COPYONLY)
  endforeach()

  add_library(pindrake_cmark_gfm INTERFACE)
  target_include_directories(pindrake_cmark_gfm SYSTEM INTERFACE ${include_dir})
  target_compile_definitions(pindrake_cmark_gfm INTERFACE CMARK_GFM_STATIC_DEFINE)
  target_link_libraries(pindrake_cmark_gfm INTERFACE libcmark-gfm_static)
  add_library(cmark_gfm::cmark_gfm ALIAS pindrake_cmark_gfm)

  # The extensions call into the core, so the core must follow them on every link line.
  target_link_libraries(libcmark-gfm-extensions_static PUBLIC libcmark-gfm_static)
  add_library(pindrake_cmark_gfm_extensions INTERFACE)
  target_compile_definitions(pindrake_cmark_gfm_extensions
                             INTERFACE CMARK_GFM_EXTENSIONS_STATIC_DEFINE)
  target_link_libraries(pindrake_cmark_gfm_extensions
                        INTERFACE libcmark-gfm-extensions_static pindrake_cmark_gfm)
  add_library(cmark_gfm::extensions ALIAS pindrake_cmark_gfm_extensions)
endblock()
