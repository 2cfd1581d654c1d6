# The two responses against FluidSynth over every bank-0 preset of the Debian General MIDI
# fonts (levels, velocity and Volume spans). `response_report --smoke` is a quick check.
if(FLUIDSYNTH_FOUND)
  add_executable(response_report ${CMAKE_CURRENT_LIST_DIR}/response_report.cpp)
  target_link_libraries(response_report PRIVATE zephra_bench_support zephra_bench_fluid)
  zephra_warnings(response_report)
  add_test(NAME bench_response_report_smoke COMMAND response_report --smoke)
  set_tests_properties(bench_response_report_smoke PROPERTIES LABELS bench)
endif()
