# One fuzz target per picture decoder, all from codecs_fuzzer.cpp.
foreach(codec jpeg:1 gif:2 bmp:3 ico:4 png:5 webp:6 heic:7 avif:8)
  string(REPLACE ":" ";" parts ${codec})
  list(GET parts 0 name)
  list(GET parts 1 number)
  vorlin_add_fuzzer(fuzz_codec_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/codecs_fuzzer.cpp LIBS vorlin_codecs)
  target_compile_definitions(fuzz_codec_${name} PRIVATE VORLIN_FUZZ_CODEC=${number})
endforeach()
# The AV1 decoder leaks on one kind of broken file inside libdav1d (see heif_lsan.supp).
set_tests_properties(fuzz_codec_avif PROPERTIES
  ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/heif_lsan.supp")
