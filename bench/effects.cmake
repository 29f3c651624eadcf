# DrawFrame per effect against the whole-frame copy floor; bench/effects-table.sh prints the ratios.
vorlin_add_bench(effects_bench SOURCES effects_bench.cpp LIBS vorlin_effects)
