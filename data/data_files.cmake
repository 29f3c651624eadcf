# The data files staged beside the program (read by data/CMakeLists.txt, which stages them, and by the
# data file tests, which load each one).
set(VORLIN_DATA_FILES
  ${CMAKE_SOURCE_DIR}/data/VorlinSaver.001
  ${CMAKE_SOURCE_DIR}/data/VorlinSaver.003
  ${CMAKE_SOURCE_DIR}/data/samples/VorlinSaver.002
  ${CMAKE_SOURCE_DIR}/data/samples/t1.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/t2.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/demo1.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/demo2.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/demo3.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/demo4.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/demo5.jpg
  ${CMAKE_SOURCE_DIR}/data/samples/demo.mid
  ${CMAKE_SOURCE_DIR}/data/samples/chime.wav
  ${CMAKE_SOURCE_DIR}/docs/help.html)
