# Reading the show settings of a 1000+1000 and a 2000+2000 show; prints the ratio of the two times.
vorlin_add_bench(settings_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings/settings_bench.cpp
  LIBS vorlin_settings)

# A show of a 10,000-photo folder: the listing, and the start (settings read + first picture loaded).
vorlin_add_bench(folder_show_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings/folder_show_bench.cpp
  LIBS vorlin_settings vorlin_codecs)
