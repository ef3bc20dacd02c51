# tunora_json: the header-only JSON library the machine profiles are read
# with, taken from the build machine in every configuration.
add_library(tunora_json INTERFACE)
if(CMAKE_CROSSCOMPILING)
  # The cross toolchain looks for packages only in the target's root; the
  # library's package is the build machine's. Its include folder is that
  # machine's whole /usr/include, so it is searched after the target's own
  # system headers (-idirafter): only what they lack, the library itself,
  # is found there.
  find_package(nlohmann_json 3 REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  get_target_property(json_include nlohmann_json::nlohmann_json INTERFACE_INCLUDE_DIRECTORIES)
  foreach(dir ${json_include})
    target_compile_options(tunora_json INTERFACE "SHELL:-idirafter ${dir}")
  endforeach()
else()
  find_package(nlohmann_json 3 REQUIRED)
  target_link_libraries(tunora_json INTERFACE nlohmann_json::nlohmann_json)
endif()
