# The MPEG audio library on arbitrary bytes: the decoder chosen by content and the playing thread's
# decode loop, through the library's own player with the WAV file device. Undefined behaviour ends the run
# like a crash does.
vorlin_add_fuzzer(mpegdll_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/mpegdll/mpegdll_fuzzer.cpp
  LIBS vorlin_mpegdll_core)
set_tests_properties(mpegdll_fuzzer PROPERTIES ENVIRONMENT
  "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/mpegdll/lsan.supp;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
