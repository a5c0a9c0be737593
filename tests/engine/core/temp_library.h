// Library bytes written to a file of their own for one test.
#ifndef KVO_TESTS_ENGINE_API_TEMP_LIBRARY_H
#define KVO_TESTS_ENGINE_API_TEMP_LIBRARY_H

#include <unistd.h>

#include <cstdio>
#include <string>

#include "library_writer.h"

class TempLibrary {
 public:
  explicit TempLibrary(const kvo_libtool::Bytes& bytes) {
    static int counter = 0;
    path_ = std::string(KVO_TEST_BINARY_DIR) + "/engine_api_tmp_" + std::to_string(getpid()) + "_" +
            std::to_string(counter++) + ".lib";
    std::string error;
    kvo_libtool::WriteFile(path_, bytes, &error);
  }
  ~TempLibrary() { std::remove(path_.c_str()); }
  TempLibrary(const TempLibrary&) = delete;
  TempLibrary& operator=(const TempLibrary&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

#endif
