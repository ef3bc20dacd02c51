# The Windows programs' resources: icons, picture, strings, version record
# and the embedded files (type BINRES). Sets TUNORA_RC and LOCKSTEP_RC, the
# configured .rc files, and wires the built files they embed.
set(TUNORA_ART_DIR ${CMAKE_SOURCE_DIR}/platform/win32)
set(TUNORA_VERSION_RC ${TUNORA_ART_DIR}/version.rc)
set(TUNORA_LOCKSTEP_EXE ${CMAKE_BINARY_DIR}/bin/lockstep.exe)
# From cmake/help_file.cmake: the compiled help file itself.
set(TUNORA_HELP_CHM ${help_chm})
add_custom_target(tunora_help_file DEPENDS ${TUNORA_HELP_CHM})

# No toolchain here builds a Windows 9x virtual device: its resource holds
# a file that is no driver, so the 9x road fails to load it and says
# "Unable to Access VxD!".
set(TUNORA_HWGT9X ${CMAKE_BINARY_DIR}/placeholders/hwgt9x.vxd)
file(WRITE ${TUNORA_HWGT9X} "Hwgt9x is not part of this build.\r\n")

set(TUNORA_HWGATE2 ${CMAKE_BINARY_DIR}/bin/hwgate2.sys)
set(TUNORA_HWGATE4 ${CMAKE_BINARY_DIR}/bin/hwgate4.sys)
set(driver_targets "")
if(EXISTS ${CMAKE_SOURCE_DIR}/hwaccess/drivers/nt/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/hwaccess/drivers/nt ${CMAKE_BINARY_DIR}/hwaccess/drivers/nt)
  foreach(driver hwgate2 hwgate4)
    if(TARGET ${driver})
      list(APPEND driver_targets ${driver})
    endif()
  endforeach()
else()
  # Until the NT drivers are built here, stand-in files keep the programs
  # building; the NT road then cannot load them.
  set(TUNORA_HWGATE2 ${CMAKE_BINARY_DIR}/placeholders/hwgate2.sys)
  set(TUNORA_HWGATE4 ${CMAKE_BINARY_DIR}/placeholders/hwgate4.sys)
  file(WRITE ${TUNORA_HWGATE2} "hwgate2 is not part of this build.\r\n")
  file(WRITE ${TUNORA_HWGATE4} "hwgate4 is not part of this build.\r\n")
endif()

set(TUNORA_RC ${CMAKE_BINARY_DIR}/tunora.rc)
set(LOCKSTEP_RC ${CMAKE_BINARY_DIR}/lockstep.rc)
configure_file(${TUNORA_ART_DIR}/tunora.rc.in ${TUNORA_RC} @ONLY)
configure_file(${TUNORA_ART_DIR}/lockstep.rc.in ${LOCKSTEP_RC} @ONLY)

set(art_files ${TUNORA_ART_DIR}/tunora.ico ${TUNORA_ART_DIR}/about.ico
              ${TUNORA_ART_DIR}/card.bmp ${TUNORA_VERSION_RC})
# windres does not report what a script includes, so each .rc names the
# files it embeds.
set_source_files_properties(${TUNORA_RC} PROPERTIES OBJECT_DEPENDS
  "${art_files};${TUNORA_HWGATE2};${TUNORA_HWGATE4};${TUNORA_HWGT9X};${TUNORA_LOCKSTEP_EXE};${TUNORA_HELP_CHM}")
set_source_files_properties(${LOCKSTEP_RC} PROPERTIES OBJECT_DEPENDS
  "${art_files};${TUNORA_HWGATE4};${TUNORA_HWGT9X}")
