# Reading the show settings of a 1000+1000 and a 2000+2000 show; prints the ratio of the two times.
vorlin_add_bench(settings_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings/settings_bench.cpp
  LIBS vorlin_settings)
