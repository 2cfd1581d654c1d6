# SoundFont reader benchmarks: listing the presets of FluidR3_GM.sf2, and resolving and
# building its largest preset. They skip when Debian's fluid-soundfont-gm is not installed.
add_executable(bench_soundfont ${CMAKE_CURRENT_LIST_DIR}/soundfont_bench.cpp)
target_link_libraries(bench_soundfont PRIVATE zephra_bench_support benchmark::benchmark)
zephra_warnings(bench_soundfont)
