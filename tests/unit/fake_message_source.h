// A message source for tests: answers from a fixed table and records every question.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/message_source.h"

namespace quillon {

using MessageAsk = std::pair<MessageSourceId, std::uint32_t>;

class FakeMessageSource : public MessageSource {
 public:
  void Add(MessageSourceId source, std::uint32_t code, std::string text) {
    texts_[{source, code}] = std::move(text);
  }
  std::optional<std::string> Message(MessageSourceId source, std::uint32_t code) override {
    asks.push_back({source, code});
    const auto it = texts_.find({source, code});
    return it == texts_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::vector<MessageAsk> asks;

 private:
  std::map<MessageAsk, std::string> texts_;
};

}  // namespace quillon
