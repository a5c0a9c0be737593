// Runs a program with arguments and standard input, and collects what it
// printed and how it ended.
#pragma once

#include <string>
#include <vector>

namespace analyze_test {

struct ToolResult {
  bool exited = false;  // false: killed by a signal (a crash)
  int status = -1;      // exit status when exited
  std::string out;
  std::string err;
};

ToolResult RunTool(const std::string& program, const std::vector<std::string>& args, const std::string& input = "");

// kvo-analyze with these arguments.
ToolResult Analyze(const std::vector<std::string>& args, const std::string& input = "");

// A file in a fresh temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

}  // namespace analyze_test
