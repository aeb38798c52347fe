// A define source for tests: answers from fixed rows, in the order they were added, and
// records every question by value.
#pragma once

#include <algorithm>
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
  void Add(ErrorType type, std::int32_t value, std::string name, std::string header = {}) {
    rows_.push_back({type, static_cast<std::uint32_t>(value), std::move(name), std::move(header)});
  }
  // NTSTATUS status becomes Win32 code on the platform.
  void MapStatus(std::uint32_t status, std::uint32_t code) {
    statusMap_.emplace_back(status, code);
  }
  void AddFacility(ErrorType kind, std::uint32_t number, std::string name) {
    facilities_.emplace(std::make_pair(kind, number), std::move(name));
  }
  void Fail(std::string reason) { failure_ = std::move(reason); }

  std::optional<std::int32_t> ValueOfName(ErrorType type, std::string_view name) const override {
    const std::vector<std::int32_t> values = ValuesOfName(type, name);
    return values.empty() ? std::nullopt : std::optional<std::int32_t>(values.front());
  }
  std::optional<std::string> NameOfValue(ErrorType type, std::uint32_t value) const override {
    valueAsks.emplace_back(type, value);
    for (const Row& row : rows_) {
      if (row.type == type && row.value == value) {
        return row.name;
      }
    }
    return std::nullopt;
  }
  std::vector<std::int32_t> ValuesOfName(ErrorType type, std::string_view name) const override {
    std::vector<std::int32_t> values;
    for (const Row& row : rows_) {
      const auto value = static_cast<std::int32_t>(row.value);
      if (row.type == type && row.name == name &&
          std::find(values.begin(), values.end(), value) == values.end()) {
        values.push_back(value);
      }
    }
    return values;
  }
  std::vector<NamedDefine> NamesOfValue(ErrorType type, std::uint32_t value) const override {
    std::vector<NamedDefine> names;
    for (const Row& row : rows_) {
      if (row.type == type && row.value == value) {
        names.push_back({row.name, row.header});
      }
    }
    return names;
  }
  std::optional<std::uint32_t> Win32OfStatus(std::uint32_t status) const override {
    for (const auto& [from, to] : statusMap_) {
      if (from == status) {
        return to;
      }
    }
    return std::nullopt;
  }
  std::vector<std::uint32_t> StatusesOfWin32(std::uint32_t code) const override {
    std::vector<std::uint32_t> statuses;
    for (const auto& [from, to] : statusMap_) {
      if (to == code) {
        statuses.push_back(from);
      }
    }
    std::sort(statuses.begin(), statuses.end());
    return statuses;
  }
  std::optional<std::string> FacilityName(ErrorType kind, std::uint32_t facility) const override {
    const auto it = facilities_.find({kind, facility});
    return it == facilities_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::optional<std::string> Failure() const override { return failure_; }

  mutable std::vector<std::pair<ErrorType, std::uint32_t>> valueAsks;

 private:
  struct Row {
    ErrorType type;
    std::uint32_t value;
    std::string name;
    std::string header;
  };
  std::vector<Row> rows_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> statusMap_;
  std::map<std::pair<ErrorType, std::uint32_t>, std::string> facilities_;
  std::optional<std::string> failure_;
};

}  // namespace quillon
