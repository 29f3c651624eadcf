# The canvas's frame pacing: a whole run on a 1920×1080 picture against its nominal length, and one
# frame's drawing against a plain frame copy.
vorlin_add_bench(canvas_bench SOURCES canvas/canvas_bench.cpp LIBS vorlin_canvas QT)
