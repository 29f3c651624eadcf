# The idle watcher as a process on an X server: its cost while it waits, and idle to first picture.
if(VORLIN_WITH_QT)
  vorlin_add_bench(idle_bench SOURCES idle/idle_bench.cpp LIBS vorlin_base QT)
  add_dependencies(idle_bench VorlinSaver)
  target_compile_definitions(idle_bench PRIVATE VORLIN_PROGRAM="$<TARGET_FILE:VorlinSaver>")
  if(VORLIN_BUILD_TESTS)
    # CI runs it once and short: 3 s of waiting instead of 60.
    set_property(TEST idle_bench_once APPEND PROPERTY ENVIRONMENT VORLIN_IDLE_BENCH_SECONDS=3)
  endif()
endif()
