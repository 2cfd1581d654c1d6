# The two responses against FluidSynth over every bank-0 preset of the Debian General MIDI
# fonts (levels, velocity and Volume spans). `response_report --smoke` is a quick check.
if(FLUIDSYNTH_FOUND)
  add_executable(response_report ${CMAKE_CURRENT_LIST_DIR}/response_report.cpp)
  target_include_directories(response_report PRIVATE ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(response_report PRIVATE zephra_synth_core zephra_soundfont PkgConfig::FLUIDSYNTH)
  zephra_warnings(response_report)
  add_test(NAME bench_response_report_smoke COMMAND response_report --smoke)
  set_tests_properties(bench_response_report_smoke PROPERTIES LABELS bench)
endif()
