# Engine benchmark: 64 voices of a real GM preset through our engine and through libfluidsynth
# in the same run. `synth_bench --smoke` is a quick check; without it the full figures print.
if(FLUIDSYNTH_FOUND)
  add_executable(synth_bench ${CMAKE_CURRENT_LIST_DIR}/synth_bench.cpp)
  target_link_libraries(synth_bench PRIVATE zephra_bench_support zephra_bench_fluid)
  zephra_warnings(synth_bench)
  add_test(NAME bench_synth_smoke COMMAND synth_bench --smoke)
  set_tests_properties(bench_synth_smoke PROPERTIES LABELS bench)
endif()

# Held percussive voices beside sustained ones, and the resonance peak report over the Debian
# General MIDI fonts (both skip themselves when no font is installed).
foreach(tool held_voices_bench resonance_report)
  add_executable(${tool} ${CMAKE_CURRENT_LIST_DIR}/${tool}.cpp)
  target_link_libraries(${tool} PRIVATE zephra_bench_support)
  zephra_warnings(${tool})
  add_test(NAME bench_${tool}_smoke COMMAND ${tool} --smoke)
  set_tests_properties(bench_${tool}_smoke PROPERTIES LABELS bench)
endforeach()

# Real songs through one engine per channel: voices ended below -100 dBFS, voice-samples and
# CPU with and without that ending (reads MIDI files with the renderer's parser).
add_executable(song_voices_bench ${CMAKE_CURRENT_LIST_DIR}/song_voices_bench.cpp)
target_include_directories(song_voices_bench PRIVATE ${PROJECT_SOURCE_DIR}/host/render)
target_link_libraries(song_voices_bench PRIVATE zephra_bench_support zephra_render_core)
zephra_warnings(song_voices_bench)
add_test(NAME bench_song_voices_smoke COMMAND song_voices_bench --smoke)
set_tests_properties(bench_song_voices_smoke PROPERTIES LABELS bench)
