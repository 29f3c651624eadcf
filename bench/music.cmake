# Music decoding speed (x real time) and the CPU share of playing MP3 through the MPEG audio library.
vorlin_add_bench(music_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/music/music_bench.cpp
  LIBS vorlin_mpegdll_core vorlin_mci ${CMAKE_DL_LIBS})
target_compile_definitions(music_bench PRIVATE MPEGDLL_PATH="$<TARGET_FILE:mpegdll>")
add_dependencies(music_bench mpegdll)
