# Memory of a loaded preset: FluidR3_GM's Honky Tonk and a generated font of many layered zones
# over few samples, loaded through the built bundle as a DAW does, beside libfluidsynth in the
# same run. `memory_bench` prints the figures against their targets; `--smoke` runs a small
# generated font once; `--font PATH BANK PROGRAM` measures another preset.
if(ZEPHRA_TESTS AND FLUIDSYNTH_FOUND)
  add_executable(memory_bench ${CMAKE_CURRENT_LIST_DIR}/memory_bench.cpp)
  target_link_libraries(memory_bench PRIVATE zephra_render_core zephra_soundfont zephra_test_support
                        PkgConfig::FLUIDSYNTH)
  target_compile_definitions(memory_bench PRIVATE ZEPHRA_BUNDLE_PATH="${ZEPHRA_BUNDLE_DIR}")
  add_dependencies(memory_bench zephra_plugin)
  zephra_warnings(memory_bench)
endif()
