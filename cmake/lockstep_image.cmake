# tunora carries the lockstep program as resource 170. On the simulated PC
# that is the built `lockstep` executable without its debug information,
# assembled in with .incbin: the hex array of embed_file.cmake would take
# the compiler minutes at this size.
#
# Defines the object library tunora_lockstep_image (tunora::LockstepImage,
# which resources/embedded_tunora.cpp returns). Link it into every program
# that may reach TunoraResource; never into lockstep, which it is built from.
set(lockstep_image ${CMAKE_BINARY_DIR}/lockstep-image/lockstep)
set(lockstep_image_source ${CMAKE_BINARY_DIR}/lockstep-image/lockstep_image.cpp)
add_custom_command(
  OUTPUT ${lockstep_image}
  COMMAND ${CMAKE_OBJCOPY} --strip-debug $<TARGET_FILE:lockstep> ${lockstep_image}
  DEPENDS lockstep
  COMMENT "Stripping lockstep's debug information for tunora"
  VERBATIM)
configure_file(${CMAKE_SOURCE_DIR}/cmake/lockstep_image.cpp.in ${lockstep_image_source} @ONLY)
# The assembler reads the image, so the compiler's dependency list misses it.
set_source_files_properties(${lockstep_image_source} PROPERTIES OBJECT_DEPENDS ${lockstep_image})
add_library(tunora_lockstep_image OBJECT ${lockstep_image_source} ${lockstep_image})
