# The builder window adding 1000 pictures (with list thumbnails) and storing them: the longest stall of
# the event loop during the add, and the time of the store.
vorlin_add_bench(builder_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/builder/builder_bench.cpp ${CMAKE_CURRENT_LIST_DIR}/qt_main.cpp
  LIBS vorlin_builder QT)
