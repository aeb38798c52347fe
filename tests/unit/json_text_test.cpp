#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <random>
#include <string>

#include "core/json_text.h"

namespace quillon {
namespace {

std::string Nlohmann(std::string_view text) {
  const nlohmann::json value = std::string(text);
  return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string Ours(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

TEST(AppendJsonString, WritesWhatTheLibrarysReplacingSerialiserWrites) {
  const std::string cases[] = {
      "",
      "Access denied.",
      "quote \" backslash \\ slash /",
      "controls \x01\x1f\b\f\n\r\t\x7f end",
      std::string("nul \0 inside", 12),
      "Zugriff verweigert. Acc\xC3\xA8s refus\xC3\xA9.",
      "\xE2\x82\xAC \xF0\x9F\x98\x80",   // three and four bytes
      "\xFF lone \x80 continuation",     // bytes that start nothing
      "\xC3\x28 broken second byte",     // the '(' is read again
      "\xE0\x80\x80 overlong \xC0\xAF",  // overlong forms
      "\xED\xA0\x80 surrogate",          // U+D800
      "\xF4\x90\x80\x80 past U+10FFFF",
      "cut at the end \xE2\x82",
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Nlohmann(text), Ours(text));
  }
  // Any bytes at all: a table's 8-bit texts and a log's garbage among them.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 5000; ++round) {
    std::string text(static_cast<std::size_t>(length(random)), '\0');
    for (char& c : text) c = static_cast<char>(byte(random));
    ASSERT_EQ(Nlohmann(text), Ours(text)) << round;
  }
}

TEST(JsonMembers, SeparatesMembersAndWritesEachKind) {
  std::string out = "{";
  JsonMembers members(out);
  members.String("a", "x").Number("b", -5).Null("c").Raw("d", "[1]");
  out += '}';
  EXPECT_EQ(R"({"a":"x","b":-5,"c":null,"d":[1]})", out);
}

}  // namespace
}  // namespace quillon
