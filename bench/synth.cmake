# Engine benchmark: 64 voices of a real GM preset through our engine and through libfluidsynth
# in the same run. `synth_bench --smoke` is a quick check; without it the full figures print.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLUIDSYNTH IMPORTED_TARGET fluidsynth)
if(TARGET zephra_synth_core AND TARGET zephra_soundfont AND FLUIDSYNTH_FOUND)
  add_executable(synth_bench ${CMAKE_CURRENT_LIST_DIR}/synth_bench.cpp)
  target_link_libraries(synth_bench PRIVATE zephra_synth_core zephra_soundfont PkgConfig::FLUIDSYNTH)
  zephra_warnings(synth_bench)
  add_test(NAME bench_synth_smoke COMMAND synth_bench --smoke)
  set_tests_properties(bench_synth_smoke PROPERTIES LABELS bench)
endif()

# Held percussive voices beside sustained ones, and the resonance peak report over the Debian
# General MIDI fonts (both skip themselves when no font is installed).
if(TARGET zephra_synth_core AND TARGET zephra_soundfont)
  foreach(tool held_voices_bench resonance_report)
    add_executable(${tool} ${CMAKE_CURRENT_LIST_DIR}/${tool}.cpp)
    target_include_directories(${tool} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(${tool} PRIVATE zephra_synth_core zephra_soundfont)
    zephra_warnings(${tool})
    add_test(NAME bench_${tool}_smoke COMMAND ${tool} --smoke)
    set_tests_properties(bench_${tool}_smoke PROPERTIES LABELS bench)
  endforeach()
endif()
