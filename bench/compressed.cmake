# Compressed SoundFonts: load time and memory of the largest preset of an .sf3 beside its .sf2
# (TimGM6mb converted with sf3convert), and of Debian's .sf3 fonts. Skips without sf3convert.
if(ZEPHRA_TESTS)
  add_executable(compressed_bench ${CMAKE_CURRENT_LIST_DIR}/compressed_bench.cpp)
  target_link_libraries(compressed_bench PRIVATE zephra_bench_support zephra_test_support)
  zephra_warnings(compressed_bench)
endif()
