#pragma once
// In a forked child: replaces the child with the program args[0], with exactly `env` as its
// environment; exits 127 when it cannot be run.

#include <unistd.h>

#include <string>
#include <vector>

namespace lyn::testing {

[[noreturn]] inline void fncExecProgram(const std::vector<std::string>& args,
                                        const std::vector<std::string>& env) {
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  ::execve(argv[0], argv.data(), envp.data());
  ::_exit(127);
}

}  // namespace lyn::testing
