# cmake -DCHMCMD=<chmcmd> -DPROJECT=<.hhp> -DOUTPUT=<.chm> -P compile_help.cmake
#
# Runs chmcmd and checks its work. chmcmd exits 0 when it cannot find the
# project and reports missing pages only as warnings, so the exit code alone
# proves nothing: any warning or error fails the build, and so does an
# output that is missing or does not start with the "ITSF" signature.
# OUTPUT's file name must be the project's "Compiled file"; chmcmd writes
# it into the current directory.
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
file(REMOVE "${OUTPUT}")
execute_process(
  COMMAND "${CHMCMD}" "${PROJECT}"
  WORKING_DIRECTORY "${out_dir}"
  RESULT_VARIABLE result
  OUTPUT_VARIABLE out
  ERROR_VARIABLE out)

set(problem "")
if(NOT result EQUAL 0)
  set(problem "chmcmd failed (${result})")
elseif(out MATCHES "[Ww]arning|[Ee]rror|[Ee]xception|Can't")
  set(problem "chmcmd reported problems")
elseif(NOT EXISTS "${OUTPUT}")
  set(problem "chmcmd wrote no ${OUTPUT}")
else()
  file(READ "${OUTPUT}" signature LIMIT 4 HEX)
  if(NOT signature STREQUAL "49545346")  # "ITSF"
    set(problem "${OUTPUT} is not a compiled help file")
  endif()
endif()
if(problem)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "${problem}:\n${out}")
endif()
