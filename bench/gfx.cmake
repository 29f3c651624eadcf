# Blits and regions: the hot path of every transition frame, as ratios to one plain whole-frame copy
# measured in the same run.
vorlin_add_bench(gfx_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gfx/gfx_bench.cpp
  LIBS vorlin_gfx)
