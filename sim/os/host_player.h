// The terminal UI's sound: a file the simulated PC plays in real time goes
// through this computer's audio player when one is installed ("paplay" or
// "aplay" on PATH). Run without a shell, on a private copy of the file,
// with its output discarded so that it cannot disturb the screen.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace tunora::sim {

// The players found in the folders of `path_variable` (PATH's form), in
// the order they are tried.
std::vector<std::filesystem::path> FindAudioPlayers(std::string_view path_variable);

// Writes `wav_bytes` to a temporary file, runs each player on it until one
// succeeds, waits for it and removes the file. Whether one succeeded.
bool PlayOnHost(const std::vector<std::filesystem::path>& players, std::string_view wav_bytes);

}  // namespace tunora::sim
