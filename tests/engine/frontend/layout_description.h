// Reads an engine layout description (engine/**/*_layout.txt), the file the
// Python builders take their format numbers from, so that tests can hold
// the engine's constants to it. Same syntax as tools/lexicon/
// layout_description.py: a name and its values per line, '#' comments, a
// record being name:type fields (u8 i8 u16 i16 u32).
#ifndef KVO_TESTS_LAYOUT_DESCRIPTION_H
#define KVO_TESTS_LAYOUT_DESCRIPTION_H

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace layout_test {

class LayoutDescription {
 public:
  // path relative to the source tree.
  explicit LayoutDescription(const std::string& relative) {
    std::ifstream in(std::string(KVO_TEST_SOURCE_DIR) + "/" + relative);
    if (!in) throw std::runtime_error("cannot read " + relative);
    for (std::string line; std::getline(in, line);) {
      std::istringstream tokens(line.substr(0, line.find('#')));
      std::string name;
      if (!(tokens >> name)) continue;
      std::vector<std::string> values;
      for (std::string t; tokens >> t;) values.push_back(t);
      rows_[name].push_back(values);
    }
  }

  std::vector<int64_t> Values(const std::string& name) const {
    const std::vector<std::string>& tokens = Only(name);
    std::vector<int64_t> out;
    for (const std::string& t : tokens) out.push_back(std::stoll(t, nullptr, 0));
    return out;
  }
  int64_t Value(const std::string& name) const {
    const std::vector<int64_t> v = Values(name);
    if (v.size() != 1) throw std::runtime_error(name + " has not one value");
    return v[0];
  }
  std::vector<std::vector<int64_t>> Rows(const std::string& name) const {
    std::vector<std::vector<int64_t>> out;
    auto it = rows_.find(name);
    if (it == rows_.end()) return out;
    for (const auto& tokens : it->second) {
      out.emplace_back();
      for (const std::string& t : tokens) out.back().push_back(std::stoll(t, nullptr, 0));
    }
    return out;
  }
  // Bytes of a record: the sum of its fields' sizes.
  uint32_t RecordBytes(const std::string& name) const {
    uint32_t bytes = 0;
    for (const std::string& field : Only(name)) {
      const std::string type = field.substr(field.find(':') + 1);
      if (type == "u8" || type == "i8")
        bytes += 1;
      else if (type == "u16" || type == "i16")
        bytes += 2;
      else if (type == "u32")
        bytes += 4;
      else
        throw std::runtime_error(name + ": unknown field type in " + field);
    }
    return bytes;
  }

 private:
  const std::vector<std::string>& Only(const std::string& name) const {
    auto it = rows_.find(name);
    if (it == rows_.end()) throw std::runtime_error(name + " is not described");
    if (it->second.size() != 1) throw std::runtime_error(name + " is described more than once");
    return it->second[0];
  }
  std::map<std::string, std::vector<std::vector<std::string>>> rows_;
};

}  // namespace layout_test

#endif
