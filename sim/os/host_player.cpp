#include "sim/os/host_player.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace tunora::sim {
namespace {

constexpr const char* kPlayers[] = {"paplay", "aplay"};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

// argv: the player and the file; standard streams on /dev/null.
bool RunPlayer(const std::filesystem::path& player, const std::string& file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string program = player.string();
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::vector<std::filesystem::path> FindAudioPlayers(std::string_view path_variable) {
  std::vector<std::filesystem::path> found;
  for (const char* name : kPlayers) {
    for (std::string_view rest = path_variable; !rest.empty();) {
      const std::size_t cut = rest.find(':');
      const std::string_view folder = rest.substr(0, cut);
      rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
      if (folder.empty()) continue;  // never the working directory
      const std::filesystem::path candidate = std::filesystem::path(folder) / name;
      if (access(candidate.c_str(), X_OK) == 0) {
        found.push_back(candidate);
        break;
      }
    }
  }
  return found;
}

bool PlayOnHost(const std::vector<std::filesystem::path>& players, std::string_view wav_bytes) {
  if (players.empty()) return false;
  const char* tmp = std::getenv("TMPDIR");
  std::string file =
      std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tunora-sound-XXXXXX.wav";
  const int fd = mkstemps(file.data(), 4);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, wav_bytes);
  close(fd);
  bool played = false;
  for (const std::filesystem::path& player : players) {
    if (!written || played) break;
    played = RunPlayer(player, file);
  }
  unlink(file.c_str());
  return played;
}

}  // namespace tunora::sim
