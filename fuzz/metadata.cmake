# The photo metadata reader (EXIF and XMP through exiv2, HEIF items through libheif) on arbitrary files,
# EXIF blocks and XMP packets.
vorlin_add_fuzzer(metadata_fuzzer
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/metadata/metadata_fuzzer.cpp
  LIBS vorlin_photo_metadata)
