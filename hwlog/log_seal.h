// The end of "c:\hardware.txt": u tildes after a text of length 4n + u, then
// the 8 lowercase hexadecimal digits of a checksum over the text and its
// tildes, so a support engineer can tell whether a received log was changed
// after it was written.
#pragma once

#include <string>
#include <string_view>

namespace tunora {

// The text with its tildes.
std::string WithTildes(std::string text);
// The sum of the text's 4-byte groups (bytes signed; the last group, when
// more than one, is left out), as 8 lowercase hexadecimal digits.
std::string LogChecksum(std::string_view text);
// The text, its tildes and their checksum: the file as it is written.
std::string SealLog(std::string text);

// What a received file's end says about it.
struct LogSealCheck {
  bool is_log = false;  // ends in 8 lowercase hexadecimal digits
  std::string found_checksum, expected_checksum;
  int found_tildes = 0, expected_tildes = 0;
  bool unchanged() const {
    return is_log && found_checksum == expected_checksum && found_tildes == expected_tildes;
  }
};

// Recomputes the checksum of a whole or partial log as received. The
// tildes found are the ones before the checksum that fit the text's length
// (a text may itself end in tildes); when none fit, all of them, at most 3.
LogSealCheck CheckLogSeal(std::string_view file);

}  // namespace tunora
