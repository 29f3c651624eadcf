# The installer script's reader: parsing, constant expansion and the write-back on arbitrary input.
vorlin_add_fuzzer(script_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/script/script_fuzzer.cpp
  LIBS vorlin_iss)
