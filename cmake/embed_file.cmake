# cmake -DINPUT=<file> -DOUTPUT=<.cpp> -DFUNCTION=<name> -P embed_file.cmake
#
# Writes a C++ source defining std::string_view tunora::FUNCTION(), which
# returns the bytes of INPUT exactly.
file(READ "${INPUT}" hex HEX)
if(hex STREQUAL "")
  message(FATAL_ERROR "${INPUT} is empty")
endif()
# Sixteen bytes a line; CMake's regular expressions have no repeat counts.
string(REPEAT "[0-9a-f]" 32 line)
string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}" "// Generated from ${name} by cmake/embed_file.cmake; do not edit.
#include <string_view>

namespace tunora {
namespace {

constexpr unsigned char kBytes[] = {
${bytes}
};

}  // namespace

std::string_view ${FUNCTION}() {
  return std::string_view(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
}

}  // namespace tunora
")
