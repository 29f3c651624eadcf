# The staged installation folder (build/stage) that the run command starts from.
#   vorlin_stage_target(<target> [AS <name>...])  copy a built program or library into the folder
#   vorlin_stage_file(<path> [AS <name>])          copy a source or generated file into the folder
# The target "stage" builds everything staged and copies it.
function(vorlin_stage_target target)
  cmake_parse_arguments(S "" "" "AS" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY VORLIN_STAGE_TARGETS ${target})
  if(NOT S_AS)
    set(S_AS "$<TARGET_FILE_NAME:${target}>")
  endif()
  foreach(n IN LISTS S_AS)
    set_property(GLOBAL APPEND PROPERTY VORLIN_STAGE_COMMANDS
      "COMMAND;${CMAKE_COMMAND};-E;copy_if_different;$<TARGET_FILE:${target}>;${VORLIN_STAGE_DIR}/${n}")
  endforeach()
endfunction()

function(vorlin_stage_file path)
  cmake_parse_arguments(S "" "AS" "" ${ARGN})
  if(NOT S_AS)
    get_filename_component(S_AS ${path} NAME)
  endif()
  set_property(GLOBAL APPEND PROPERTY VORLIN_STAGE_COMMANDS
    "COMMAND;${CMAKE_COMMAND};-E;copy_if_different;${path};${VORLIN_STAGE_DIR}/${S_AS}")
endfunction()

function(vorlin_finish_stage)
  get_property(targets GLOBAL PROPERTY VORLIN_STAGE_TARGETS)
  get_property(commands GLOBAL PROPERTY VORLIN_STAGE_COMMANDS)
  set(all)
  foreach(c IN LISTS commands)
    list(APPEND all ${c})
  endforeach()
  add_custom_target(stage
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VORLIN_STAGE_DIR}
    ${all}
    COMMENT "Staging the installation folder ${VORLIN_STAGE_DIR}"
    VERBATIM)
  if(targets)
    add_dependencies(stage ${targets})
  endif()
endfunction()
