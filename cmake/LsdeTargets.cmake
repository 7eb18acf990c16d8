# Flags shared by every target of the project.
add_library(lsde_flags INTERFACE)
# Results are defined to the last bit: g++ would otherwise fuse a*b+c into an FMA
# whenever the target has one. Consumers compiling our headers need it as well.
target_compile_options(lsde_flags INTERFACE -ffp-contract=off)
target_compile_options(lsde_flags INTERFACE
  $<BUILD_INTERFACE:-Wall -Wextra -Wpedantic $<$<BOOL:${LSDE_WERROR}>:-Werror>>)
if(LSDE_SANITIZE OR LSDE_FUZZ)
  set(_lsde_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(lsde_flags INTERFACE $<BUILD_INTERFACE:${_lsde_san}>)
  target_link_options(lsde_flags INTERFACE $<BUILD_INTERFACE:${_lsde_san}>)
endif()
if(LSDE_TSAN)
  set(_lsde_tsan -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(lsde_flags INTERFACE $<BUILD_INTERFACE:${_lsde_tsan}>)
  target_link_options(lsde_flags INTERFACE $<BUILD_INTERFACE:${_lsde_tsan}>)
endif()
if(LSDE_FUZZ)
  # Coverage feedback in every library; only the fuzz programs link libFuzzer's main.
  target_compile_options(lsde_flags INTERFACE $<BUILD_INTERFACE:-fsanitize=fuzzer-no-link>)
endif()

# lsde_add_library(<folder> SOURCES ... [DEPS ...])
# One library per subsystem folder, headers beside the sources, included as "folder/x.hpp".
function(lsde_add_library folder)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  set(target lsde_${folder})
  add_library(${target} STATIC ${ARG_SOURCES})
  add_library(lsde::${folder} ALIAS ${target})
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/lsde>)
  target_link_libraries(${target} PUBLIC lsde_flags ${ARG_DEPS})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${folder})
endfunction()
