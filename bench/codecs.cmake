# JPEG decoding of a 1920x1080 and a 6000x4000 photo against djpeg on the same files, and the decode for
# a 1920x1080 box against a full one (time and peak memory), with the plain whole-frame copy of the same
# run as the floor; and a 12 MP HEIC against the same picture as JPEG. The photos are made by ImageMagick at the first run into a temporary folder.
vorlin_add_bench(codecs_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/codecs/codecs_bench.cpp
  LIBS vorlin_codecs)
