# Building an installer for a 200-picture show: the build files plus vorlinbuild and makeself; reports
# the installer's size against the sum of the packed files.
vorlin_add_bench(installer_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/installer/installer_bench.cpp
  LIBS vorlin_script)
target_compile_definitions(installer_bench PRIVATE VORLIN_BINARY_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(installer_bench vorlinbuild vorlin-install)
