# The canvas's frame pacing: a whole run on a 1920×1080 picture against its nominal length, and one
# frame's drawing against a plain frame copy.
vorlin_add_bench(canvas_bench SOURCES canvas/canvas_bench.cpp qt_main.cpp LIBS vorlin_canvas QT)
# A photo look per picture: the blurred backdrop and the composed screen, as ratios to a frame copy.
vorlin_add_bench(look_bench SOURCES canvas/look_bench.cpp LIBS vorlin_picture_look)
