# Render speed: a generated 60-second General MIDI piece with TimGM6mb through the built bundle,
# at blocks of 64, 512 and 4096 samples. `bench_render` prints the real-time factor (x_realtime).
if(TARGET zephra_render_core AND TARGET zephra_test_support AND TARGET zephra_plugin)
  add_executable(bench_render ${PROJECT_SOURCE_DIR}/host/render/RenderSpeedBenchmark.cpp)
  target_link_libraries(bench_render PRIVATE zephra_render_core zephra_test_support benchmark::benchmark)
  target_compile_definitions(bench_render PRIVATE ZEPHRA_BUNDLE_PATH="${ZEPHRA_BUNDLE_DIR}")
  add_dependencies(bench_render zephra_plugin)
  zephra_warnings(bench_render)
endif()
