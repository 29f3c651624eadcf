# cmake -DSRC=<file> -DDST=<file> -P copy_if_absent.cmake
# Copies SRC to DST only when DST does not exist yet: the builder rewrites its working settings file when it
# closes, so staging again must not put the demo show back over the user's own show.
if(NOT EXISTS "${DST}")
  get_filename_component(_dir "${DST}" DIRECTORY)
  file(MAKE_DIRECTORY "${_dir}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
