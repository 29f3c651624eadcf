# The show on two monitors: time from the first key to every surface gone.
vorlin_add_bench(monitors_bench SOURCES monitors/monitors_bench.cpp LIBS vorlin_showwindows QT)
