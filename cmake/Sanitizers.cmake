# Sanitizer and fuzzing builds (presets asan and fuzz).
#
# KOMBREL_SANITIZE lists the sanitizers for every target: the plug-in, the platform layer, the simulated
# host, the tests and the tools, e.g. "address,undefined". Nothing recovers: the first report ends the
# process. The plug-in is a shared object that the platform layer dlopens; its sanitizer runtime comes
# from the executable that loads it, so its link leaves those symbols undefined.
#
# KOMBREL_FUZZ builds the libFuzzer target (fuzz/): every target is instrumented for coverage
# (fuzzer-no-link), and only the fuzz target links libFuzzer itself. It needs clang.
set(KOMBREL_SANITIZE "" CACHE STRING "Sanitizers for every target, as -fsanitize= takes them; empty for none")
option(KOMBREL_FUZZ "Build the libFuzzer target (clang only)" OFF)

set(kombrel_sanitizers "${KOMBREL_SANITIZE}")
if(KOMBREL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KOMBREL_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  if(kombrel_sanitizers)
    set(kombrel_sanitizers "fuzzer-no-link,${kombrel_sanitizers}")
  else()
    set(kombrel_sanitizers "fuzzer-no-link")
  endif()
endif()

if(kombrel_sanitizers)
  add_compile_options(-fsanitize=${kombrel_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${kombrel_sanitizers})
  set(KOMBREL_PLUGIN_LINK_CHECK "")
else()
  # Everything the plug-in needs is in it or in the platform layer.
  set(KOMBREL_PLUGIN_LINK_CHECK -Wl,--no-undefined)
endif()
