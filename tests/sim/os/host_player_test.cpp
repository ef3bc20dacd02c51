// The terminal UI's audio player: which players a PATH offers, and that a
// player gets a private copy of the file as its one argument, which is
// gone afterwards.
#include "sim/os/host_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

namespace fs = std::filesystem;

// A stand-in player: a shell script that keeps what it was given.
void WritePlayer(const fs::path& file, const fs::path& log, int exit_code) {
  std::ofstream(file) << "#!/bin/sh\necho \"$1\" >> '" << log.string() << "'\ncat \"$1\" >> '"
                      << log.string() << ".bytes'\nexit " << exit_code << "\n";
  chmod(file.c_str(), 0755);
}

std::string Slurp(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

TEST(HostPlayer, FindsPlayersOnPathAndPlaysAPrivateCopy) {
  TempDir temp;
  const fs::path first = temp.path() / "one", second = temp.path() / "two";
  fs::create_directories(first);
  fs::create_directories(second);
  const fs::path log = temp.path() / "log";
  WritePlayer(second / "paplay", log, 1);  // fails: the next one is tried
  WritePlayer(first / "aplay", log, 0);
  std::ofstream(first / "paplay") << "not executable\n";

  const std::string path_variable = "::" + first.string() + ":" + second.string();
  const std::vector<fs::path> players = sim::FindAudioPlayers(path_variable);
  EXPECT_EQ(players, (std::vector<fs::path>{second / "paplay", first / "aplay"}));
  EXPECT_TRUE(sim::FindAudioPlayers(temp.path().string()).empty());

  EXPECT_TRUE(sim::PlayOnHost(players, "RIFF-bytes"));
  std::istringstream given(Slurp(log));
  std::string copy_one, copy_two;
  given >> copy_one >> copy_two;
  EXPECT_EQ(copy_one, copy_two) << "both players get the same copy";
  EXPECT_FALSE(fs::exists(copy_one)) << "the copy is removed";
  EXPECT_EQ(Slurp(temp.path() / "log.bytes"), "RIFF-bytesRIFF-bytes");
  EXPECT_FALSE(sim::PlayOnHost({}, "RIFF-bytes"));
}

}  // namespace
}  // namespace tunora::testing
