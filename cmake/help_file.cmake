# The help file: the pages under resources/help are compiled by chmcmd into
# TUNORAHELP.CHM, which becomes a generated C++ source returning its bytes.
# Sets TUNORA_HELP_SOURCE to that source.
find_program(TUNORA_CHMCMD chmcmd)
if(NOT TUNORA_CHMCMD)
  message(FATAL_ERROR "chmcmd not found: install fp-utils (./scripts/setup does)")
endif()

set(help_dir ${CMAKE_SOURCE_DIR}/resources/help)
file(GLOB help_sources CONFIGURE_DEPENDS ${help_dir}/*)
set(help_chm ${CMAKE_BINARY_DIR}/help/TUNORAHELP.CHM)
set(TUNORA_HELP_SOURCE ${CMAKE_BINARY_DIR}/help/help_file.cpp)

add_custom_command(
  OUTPUT ${help_chm}
  COMMAND ${CMAKE_COMMAND} -DCHMCMD=${TUNORA_CHMCMD} -DPROJECT=${help_dir}/tunorahelp.hhp
          -DOUTPUT=${help_chm} -P ${CMAKE_SOURCE_DIR}/cmake/compile_help.cmake
  DEPENDS ${help_sources} ${CMAKE_SOURCE_DIR}/cmake/compile_help.cmake
  COMMENT "Compiling the help file"
  VERBATIM)
add_custom_command(
  OUTPUT ${TUNORA_HELP_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${help_chm} -DOUTPUT=${TUNORA_HELP_SOURCE}
          -DFUNCTION=HelpFileImage -P ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
  DEPENDS ${help_chm} ${CMAKE_SOURCE_DIR}/cmake/embed_file.cmake
  COMMENT "Embedding the help file"
  VERBATIM)
# The compiled file as a target of the directory that makes it: a custom
# command's output is only known to targets of its own directory, and the
# Windows programs, which embed the file as a resource, live in another.
add_custom_target(tunora_help_file DEPENDS ${help_chm})
