# Finds every library the project uses, once, as imported targets.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(PNG REQUIRED)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp)
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET sndfile)
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
find_path(UEMF_INCLUDE_DIR NAMES uemf.h PATH_SUFFIXES libUEMF uemf REQUIRED)
find_library(UEMF_LIBRARY NAMES uemf REQUIRED)

if(VORLIN_WITH_QT)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  # Folders with Qt classes turn on CMAKE_AUTOMOC in their own CMakeLists.txt.
  pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
  pkg_check_modules(XSS REQUIRED IMPORTED_TARGET xscrnsaver x11)
endif()

if(VORLIN_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(VORLIN_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
