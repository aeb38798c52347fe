// A define source for tests: answers from fixed rows and records every question by value.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/define_source.h"

namespace quillon {

class FakeDefineSource : public DefineSource {
 public:
  void Add(ErrorType type, std::int32_t value, std::string name) {
    byName_.emplace(std::make_pair(type, name), value);
    byValue_.emplace(std::make_pair(type, static_cast<std::uint32_t>(value)), std::move(name));
  }
  std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const override {
    const auto it = byName_.find({type, std::string(name)});
    return it == byName_.end() ? std::nullopt : std::optional<std::int32_t>(it->second);
  }
  std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const override {
    valueAsks.emplace_back(type, value);
    const auto it = byValue_.find({type, value});
    return it == byValue_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  mutable std::vector<std::pair<ErrorType, std::uint32_t>> valueAsks;

 private:
  std::map<std::pair<ErrorType, std::string>, std::int32_t> byName_;
  std::map<std::pair<ErrorType, std::uint32_t>, std::string> byValue_;
};

}  // namespace quillon
