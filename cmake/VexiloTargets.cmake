# Compiler settings shared by every target of the project.

if(VEXILO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(VEXILO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (use the 'fuzz' preset)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our own code is built with warnings on; the dev, asan and fuzz presets (and CI) make them
# errors, a packager's plain configure does not.
function(vexilo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VEXILO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A library of one source folder: vexilo_library(core SOURCES a.cpp ... DEPENDS other)
function(vexilo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(vexilo_${name} STATIC ${ARG_SOURCES})
  add_library(vexilo::${name} ALIAS vexilo_${name})
  target_include_directories(vexilo_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(vexilo_${name} PUBLIC ${ARG_DEPENDS})
  vexilo_warnings(vexilo_${name})
endfunction()
