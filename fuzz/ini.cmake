# The INI reader (platform::IniFile): parse, list, read and the write-back text on arbitrary input.
vorlin_add_fuzzer(ini_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ini/ini_fuzzer.cpp
  LIBS vorlin_platform)
