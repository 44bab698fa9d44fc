#pragma once
// Runs the built vodare-cli with arguments and an environment of its own, and keeps what it printed
// on stdout and stderr and its exit status.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace vodare::testing {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
  bool interrupted = false;  // SIGINT was sent before the process ended of itself
};

// A file's bytes, empty when it cannot be read.
inline std::string Bytes(const std::string& path) {
  return (std::stringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
}

// env holds "NAME=value" entries added to (or replacing) the test's own environment. Once
// interrupt_after (unless empty) appears on its stderr the process gets SIGINT, as from Ctrl-C.
inline CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {},
                     const std::string& interrupt_after = "") {
  const std::string binary = std::string(VODARE_BINARY_DIR) + "/src/vodare-cli";
  const std::string base =
      std::filesystem::temp_directory_path() / ("vodare_cli_" + std::to_string(::getpid()));
  const std::string out_path = base + ".out", err_path = base + ".err";
  std::vector<std::string> argv_text = {binary};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  // The test's environment, but for the entries env replaces.
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) vars[std::string(*e).substr(0, std::strcspn(*e, "="))] = *e;
  for (const std::string& mine : env) vars[mine.substr(0, mine.find('='))] = mine;
  std::vector<char*> argv, envp;
  for (auto& a : argv_text) argv.push_back(a.data());
  for (auto& [name, entry] : vars) envp.push_back(entry.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = 0;
  const bool spawned =
      posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
  posix_spawn_file_actions_destroy(&actions);
  CliRun run;
  int raw = 0;
  // Polled, not timed: the signal goes once the text is there, however long that takes.
  while (spawned && waitpid(pid, &raw, WNOHANG) != pid) {
    if (!interrupt_after.empty() && !run.interrupted &&
        Bytes(err_path).find(interrupt_after) != std::string::npos) {
      ::kill(pid, SIGINT);
      run.interrupted = true;
    }
    ::usleep(5000);
  }
  if (spawned) run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.out = Bytes(out_path);
  run.err = Bytes(err_path);
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return run;
}

// The words of a command line split at its blanks, for arguments that hold none.
inline std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

}  // namespace vodare::testing
