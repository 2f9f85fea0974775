#pragma once
// An ordered, growable list of narrow (GBK) strings.
#include <cstddef>
#include <string>
#include <vector>

class StringList {
 public:
  void Append(std::string text) { items_.push_back(std::move(text)); }
  std::size_t Count() const { return items_.size(); }
  const std::string& At(std::size_t index) const { return items_.at(index); }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::string> items_;
};
