# Region effects: building each effect's region and drawing through it, the cross-fade and the rotations,
# as ratios to one whole-frame copy of the old frame plus one of the new frame, measured in the same run.
vorlin_add_bench(effect_families_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/families/effect_families_bench.cpp
  LIBS vorlin_effects)
