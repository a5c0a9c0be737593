#include "tool_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace analyze_test {

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kvo-analyze-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, const std::string& content) const {
  const std::string file = path_ + "/" + name;
  std::ofstream(file, std::ios::binary) << content;
  return file;
}

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& input) {
  ToolResult result;
  TempFolder folder;
  const std::string in = folder.Write("stdin", input);
  const std::string out = folder.path() + "/stdout";
  const std::string err = folder.path() + "/stderr";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd_in = open(in.c_str(), O_RDONLY);
    const int fd_out = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int fd_err = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd_in < 0 || fd_out < 0 || fd_err < 0) _exit(127);
    dup2(fd_in, 0);
    dup2(fd_out, 1);
    dup2(fd_err, 2);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (pid < 0) return result;
  int wstatus = 0;
  if (waitpid(pid, &wstatus, 0) != pid) return result;
  result.exited = WIFEXITED(wstatus);
  result.status = result.exited ? WEXITSTATUS(wstatus) : -1;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}

ToolResult Analyze(const std::vector<std::string>& args, const std::string& input) {
  return RunTool(KVO_ANALYZE_PROGRAM, args, input);
}

}  // namespace analyze_test
