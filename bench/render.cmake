# Render speed: a generated 60-second General MIDI piece with TimGM6mb through the built bundle,
# at blocks of 64, 512 and 4096 samples, and one on sixteen channels with one job and with two.
# `render_bench` prints the real-time factor (x_realtime, and x_realtime_cpu on processor time)
# and the speed-up of two jobs; `render_bench --smoke` is a quick 5-second check;
# `render_bench --write-piece gm60.mid` writes the piece for zephra-render.
if(ZEPHRA_TESTS)
  add_executable(render_bench ${PROJECT_SOURCE_DIR}/host/render/RenderSpeedBenchmark.cpp)
  target_link_libraries(render_bench PRIVATE zephra_render_core zephra_test_support benchmark::benchmark)
  target_compile_definitions(render_bench PRIVATE ZEPHRA_BUNDLE_PATH="${ZEPHRA_BUNDLE_DIR}")
  add_dependencies(render_bench zephra_plugin)
  zephra_warnings(render_bench)
endif()

# heard_notes: counts the note-ons of MIDI files that sound through the built bundle, each played
# alone as zephra-render plans it; `scripts/check-renders.sh` runs it over real songs.
add_executable(heard_notes ${PROJECT_SOURCE_DIR}/bench/heard_notes.cpp)
target_link_libraries(heard_notes PRIVATE zephra_render_core)
target_compile_definitions(heard_notes PRIVATE ZEPHRA_BUNDLE_PATH="${ZEPHRA_BUNDLE_DIR}")
add_dependencies(heard_notes zephra_plugin)
zephra_warnings(heard_notes)
