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
  // A text of another family's module or the user's own, for code as a code of type.
  void AddFurther(ErrorType type, std::uint32_t code, std::string text) {
    further_[{type, code}] = std::move(text);
  }
  std::optional<std::string> FurtherMessage(ErrorType type, std::uint32_t code) override {
    const auto it = further_.find({type, code});
    return it == further_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::vector<MessageAsk> asks;

 private:
  std::map<MessageAsk, std::string> texts_;
  std::map<std::pair<ErrorType, std::uint32_t>, std::string> further_;
};

}  // namespace quillon
