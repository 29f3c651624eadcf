# WMF/EMF decoder; the corpus holds the Inkscape drawings and small regression files.
vorlin_add_fuzzer(metafile_fuzzer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/metafile_fuzzer.cpp LIBS vorlin_metafile)
set_tests_properties(metafile_fuzzer PROPERTIES
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp")
