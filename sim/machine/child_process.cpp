#include "sim/machine/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ostream>
#include <system_error>

extern char** environ;

namespace tunora::sim {
namespace {

class Pipe {
 public:
  Pipe() {
    if (pipe2(fds_, O_CLOEXEC) != 0)
      throw std::system_error(errno, std::generic_category(), "pipe");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int read_end() const { return fds_[0]; }
  int write_end() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// Copies both pipes to their streams until the child has closed them.
void Relay(Pipe& out_pipe, std::ostream& out, Pipe& err_pipe, std::ostream& err) {
  pollfd fds[2] = {{out_pipe.read_end(), POLLIN, 0}, {err_pipe.read_end(), POLLIN, 0}};
  std::ostream* streams[2] = {&out, &err};
  int open = 2;
  char buffer[4096];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "poll");
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        fds[i].fd = -1;  // poll skips it from now on
        --open;
        continue;
      }
      streams[i]->write(buffer, got);
      streams[i]->flush();
    }
  }
}

}  // namespace

ChildEnd RunChildProcess(const std::filesystem::path& file,
                         const std::vector<std::string>& environment, std::ostream& out,
                         std::ostream& err) {
  Pipe out_pipe, err_pipe;
  SpawnActions actions;
  posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(actions.get(), out_pipe.write_end(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), err_pipe.write_end(), STDERR_FILENO);

  const std::string path = file.string();
  std::vector<char*> argv = {const_cast<char*>(path.c_str()), nullptr};
  std::vector<char*> envp;
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, path.c_str(), actions.get(), nullptr, argv.data(), envp.data());
  out_pipe.CloseWrite();
  err_pipe.CloseWrite();
  if (spawned != 0) {
    throw std::system_error(spawned, std::generic_category(), "cannot start " + path);
  }
  Relay(out_pipe, out, err_pipe, err);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "waitpid");
  }
  if (WIFEXITED(status)) return {true, WEXITSTATUS(status), 0};
  return {false, 0, WIFSIGNALED(status) ? WTERMSIG(status) : 0};
}

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& drop,
                                          const std::vector<std::string>& add) {
  std::vector<std::string> result;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (std::find(drop.begin(), drop.end(), name) == drop.end()) result.push_back(text);
  }
  result.insert(result.end(), add.begin(), add.end());
  return result;
}

}  // namespace tunora::sim
