#include "cli_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace vodare::testing {

namespace {
std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Spawned {
  pid_t pid = 0;
  std::string out_path, err_path;
};

Spawned Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  const std::string binary = std::string(VODARE_BINARY_DIR) + "/src/vodare-cli";
  const std::string base =
      std::filesystem::temp_directory_path() / ("vodare_cli_" + std::to_string(::getpid()));
  Spawned s;
  s.out_path = base + ".out";
  s.err_path = base + ".err";
  std::vector<std::string> argv_text = {binary};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    bool replaced = false;
    for (const auto& mine : env)
      if (entry.substr(0, entry.find('=') + 1) == mine.substr(0, mine.find('=') + 1))
        replaced = true;
    if (!replaced) env_text.push_back(entry);
  }
  env_text.insert(env_text.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& e : env_text) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, s.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, s.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  if (posix_spawn(&s.pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
    s.pid = 0;
  posix_spawn_file_actions_destroy(&actions);
  return s;
}

int StatusOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

CliRun Collect(const Spawned& s, int status) {
  CliRun run;
  run.status = status;
  run.out = Slurp(s.out_path);
  run.err = Slurp(s.err_path);
  std::remove(s.out_path.c_str());
  std::remove(s.err_path.c_str());
  return run;
}

}  // namespace

CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  Spawned s = Spawn(args, env);
  int status = -1;
  if (s.pid > 0) {
    int raw = 0;
    waitpid(s.pid, &raw, 0);
    status = StatusOf(raw);
  }
  return Collect(s, status);
}

CliRun RunCliInterrupted(const std::vector<std::string>& args, const std::vector<std::string>& env,
                         const std::string& interrupt_after, bool* interrupted) {
  *interrupted = false;
  Spawned s = Spawn(args, env);
  int status = -1;
  if (s.pid > 0) {
    int raw = 0;
    for (;;) {
      pid_t done = waitpid(s.pid, &raw, WNOHANG);
      if (done == s.pid) break;
      if (!*interrupted && Slurp(s.err_path).find(interrupt_after) != std::string::npos) {
        ::kill(s.pid, SIGINT);
        *interrupted = true;
      }
      ::usleep(5000);
    }
    status = StatusOf(raw);
  }
  return Collect(s, status);
}

}  // namespace vodare::testing
