# The full-screen show as a process: start to first picture, and peak memory while running.
if(VORLIN_WITH_QT)
  vorlin_add_bench(show_bench SOURCES show/show_bench.cpp LIBS vorlin_base PkgConfig::XCB QT)
  add_dependencies(show_bench VorlinSaver)
  target_compile_definitions(show_bench PRIVATE VORLIN_PROGRAM="$<TARGET_FILE:VorlinSaver>")
endif()
