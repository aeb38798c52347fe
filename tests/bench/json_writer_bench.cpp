// An answer as a line of JSON, written three ways: the program's own writer, RapidJSON's Writer
// and nlohmann-json's document, over the same answer (0x80070005 as a lookup of it gives it:
// two kinds, eleven names, descriptions and a relative).
#include <benchmark/benchmark.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <nlohmann/json.hpp>

#include <string>

#include "core/json_report.h"
#include "core/report.h"

namespace quillon {
namespace {

ReadingAnswer SampleAnswer() {
  ReadingAnswer answer;
  answer.reading = {ReadingKind::Hex, 0x80070005u, {}};
  // Filled member by member: an aggregate's initializer would have to name every member.
  KindAnswer win32;
  win32.value = 5;
  win32.code = "5";
  win32.status = "Failure";
  win32.facility = "Windows (Non COM)";
  win32.names = {{"ERROR_ACCESS_DENIED", "winerror.h"}};
  win32.description = "Access denied.";
  win32.related.push_back(
      {Relation::Hresult,
       {ErrorType::Hresult, 0x80070005u, {{"E_ACCESSDENIED", "winerror.h"}}, "Access denied."}});
  KindAnswer hresult = win32;
  hresult.type = ErrorType::Hresult;
  hresult.value = 0x80070005u;
  hresult.names.clear();
  hresult.related.clear();
  for (const char* name :
       {"E_ACCESSDENIED", "DIERR_HANDLEEXISTS", "DIERR_OTHERAPPHASPRIO", "DIERR_READONLY",
        "DSERR_ACCESSDENIED", "STIERR_PRIVILEGE", "STIERR_READONLY", "CO_E_ACCESS_CHECK_FAILED",
        "MK_E_ACCESS", "SCARD_E_ACCESS", "E_ACCESS"}) {
    hresult.names.push_back({name, "winerror.h"});
  }
  answer.matches = {win32, hresult};
  return answer;
}

void Ours(benchmark::State& state) {
  const ReadingAnswer answer = SampleAnswer();
  std::string out;
  for (auto _ : state) {
    out.clear();
    WriteJsonAnswer(out, "0x80070005", answer);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(Ours);

template <typename Writer>
void RapidNames(Writer& writer, const std::vector<NamedDefine>& names,
                std::string NamedDefine::*field) {
  writer.StartArray();
  for (const NamedDefine& define : names) {
    const std::string& text = define.*field;
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  writer.EndArray();
}

template <typename Writer>
void RapidString(Writer& writer, std::string_view key, std::string_view value) {
  writer.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
  writer.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

// The same members in the same order; RapidJSON validates the UTF-8 of every string (the flag
// that keeps bytes that are not UTF-8 out of its output: it fails on them where ours replaces).
void Rapid(benchmark::State& state) {
  const ReadingAnswer answer = SampleAnswer();
  rapidjson::StringBuffer buffer;
  for (auto _ : state) {
    buffer.Clear();
    rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>,
                      rapidjson::CrtAllocator, rapidjson::kWriteValidateEncodingFlag>
        writer(buffer);
    writer.StartObject();
    RapidString(writer, "query", "0x80070005");
    RapidString(writer, "reading", "hex");
    writer.Key("value");
    writer.Uint(answer.reading.value);
    RapidString(writer, "hex", HexText(answer.reading.value));
    writer.Key("signed");
    writer.Int(static_cast<std::int32_t>(answer.reading.value));
    writer.Key("matches");
    writer.StartArray();
    for (const KindAnswer& match : answer.matches) {
      writer.StartObject();
      RapidString(writer, "type", ErrorTypeName(match.type));
      writer.Key("value");
      writer.Uint(match.value);
      RapidString(writer, "hex", HexText(match.value));
      RapidString(writer, "code", match.code);
      RapidString(writer, "status", match.status);
      RapidString(writer, "facility", match.facility);
      writer.Key("names");
      RapidNames(writer, match.names, &NamedDefine::name);
      writer.Key("headers");
      RapidNames(writer, match.names, &NamedDefine::header);
      RapidString(writer, "description", match.description.value_or(""));
      if (!match.related.empty()) {
        writer.Key("related");
        writer.StartArray();
        for (const RelatedAnswer& relative : match.related) {
          writer.StartObject();
          RapidString(writer, "relation", RelationName(relative.relation));
          RapidString(writer, "type", ErrorTypeName(relative.code.type));
          writer.Key("value");
          writer.Uint(relative.code.value);
          RapidString(writer, "hex", HexText(relative.code.value));
          writer.Key("names");
          RapidNames(writer, relative.code.names, &NamedDefine::name);
          RapidString(writer, "description", relative.code.description.value_or(""));
          writer.EndObject();
        }
        writer.EndArray();
      }
      writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
    benchmark::DoNotOptimize(buffer.GetString());
  }
}
BENCHMARK(Rapid);

// How the answers were written before the direct writer: a document per answer, dumped.
void Nlohmann(benchmark::State& state) {
  using Json = nlohmann::ordered_json;
  const ReadingAnswer answer = SampleAnswer();
  for (auto _ : state) {
    Json object;
    object["query"] = "0x80070005";
    object["reading"] = "hex";
    object["value"] = answer.reading.value;
    object["hex"] = HexText(answer.reading.value);
    object["signed"] = static_cast<std::int32_t>(answer.reading.value);
    Json matches = Json::array();
    for (const KindAnswer& match : answer.matches) {
      Json item;
      item["type"] = ErrorTypeName(match.type);
      item["value"] = match.value;
      item["hex"] = HexText(match.value);
      item["code"] = match.code;
      item["status"] = match.status;
      item["facility"] = match.facility;
      Json names = Json::array();
      Json headers = Json::array();
      for (const NamedDefine& define : match.names) {
        names.push_back(define.name);
        headers.push_back(define.header);
      }
      item["names"] = std::move(names);
      item["headers"] = std::move(headers);
      item["description"] = match.description.value_or("");
      Json related = Json::array();
      for (const RelatedAnswer& relative : match.related) {
        Json one;
        one["relation"] = RelationName(relative.relation);
        one["type"] = ErrorTypeName(relative.code.type);
        one["value"] = relative.code.value;
        one["hex"] = HexText(relative.code.value);
        Json relativeNames = Json::array();
        for (const NamedDefine& define : relative.code.names) {
          relativeNames.push_back(define.name);
        }
        one["names"] = std::move(relativeNames);
        one["description"] = relative.code.description.value_or("");
        related.push_back(std::move(one));
      }
      if (!related.empty()) {
        item["related"] = std::move(related);
      }
      matches.push_back(std::move(item));
    }
    object["matches"] = std::move(matches);
    std::string text = object.dump(-1, ' ', false, Json::error_handler_t::replace);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(Nlohmann);

}  // namespace
}  // namespace quillon
