# Pan and zoom: one drift frame at 1080p and 2160p against a plain frame copy, and the CPU share of a
# running drift at 30 frames a second.
vorlin_add_bench(pan_zoom_bench SOURCES canvas/pan_zoom_bench.cpp qt_main.cpp LIBS vorlin_canvas QT)
