// A fresh folder under /tmp, removed with everything in it at scope end.
#ifndef KVO_TESTS_SYSAPI_TEMP_FOLDER_H
#define KVO_TESTS_SYSAPI_TEMP_FOLDER_H

#include <string>
#include <vector>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& content) const;
  std::string Read(const std::string& name) const;
  std::vector<std::string> List() const;
  static std::vector<std::string> List(const std::string& folder);

 private:
  std::string path_;
};

#endif
