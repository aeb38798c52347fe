// What the command line answers for one reading of a query: every kind that knows it, with
// the window's texts for each, the code it wraps and its relatives of other kinds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/error_type.h"
#include "core/documentation_types.h"
#include "core/readings.h"
#include "lookup/define_source.h"
#include "lookup/message_source.h"

namespace quillon {

// Where a description comes from: the system's own tables (on Windows, under --windows, or
// Wine's), another family's module or the user's own, or the published documentation.
enum class DescriptionSource { System, Module, Documentation };

// "system", "module" or "documentation".
std::string_view DescriptionSourceName(DescriptionSource source);

// A code of some kind with what the database and the message source say of it.
struct CodeAnswer {
  ErrorType type = ErrorType::Win32;
  std::uint32_t value = 0;
  std::vector<NamedDefine> names;
  std::optional<std::string> description;  // nothing when no source has a text
  DescriptionSource source = DescriptionSource::System;

  bool Known() const { return !names.empty() || description.has_value(); }
};

// How a relative stands to the match it is shown under: the Win32 code an NTSTATUS becomes,
// an NTSTATUS that becomes the Win32 code, the HRESULT form of the Win32 code.
enum class Relation { Win32, NtStatus, Hresult };

struct RelatedAnswer {
  Relation relation = Relation::Win32;
  CodeAnswer code;
};

struct KindAnswer {
  ErrorType type = ErrorType::Win32;
  std::uint32_t value = 0;  // as the kind holds it: the reduced code for Win32
  std::string code;         // the Code, Status and Facility as the window's view shows them,
  std::string status;       // and the headers' name of a facility the window has no text for
  std::string facility;
  std::vector<NamedDefine> names;          // every name the kind's table holds for value
  std::optional<std::string> description;  // nothing when no source has a text
  DescriptionSource source = DescriptionSource::System;
  MatchDocumentation documentation;  // what the pages add: remedies, parameters
  std::optional<CodeAnswer> wraps;   // the code an SDK macro made this one of
  std::string_view wrapper;          // that macro, when wraps holds a code
  std::vector<RelatedAnswer> related;
};

struct ReadingAnswer {
  Reading reading;
  std::vector<KindAnswer> matches;     // in ErrorType order; empty when nothing knows it
  ReadingDocumentation documentation;  // a bug check's arguments, setup's extend code
};

// A number is answered by every kind whose message source (or, failing it, a further table
// of the source: another family's module, the user's own) has a text for it, whose table
// holds it or that wraps a known code: Win32 up to 0xFFFF and in its HRESULT form 0x8007xxxx
// (the Win32 code xxxx), HRESULT, NTSTATUS and STOP with the full value; an HRESULT up to
// 0xFFFF only by name and with no text, since the system table's text for such a value is
// the Win32 code's. A name is answered by every kind whose table holds it, with each value
// that table holds for it (a few names stand for two). Each NTSTATUS match shows the Win32 code it
// becomes; each Win32 match its HRESULT form and every NTSTATUS value that becomes it.
ReadingAnswer Answer(const Reading& reading, MessageSource& messages, const DefineSource& defines);

// "win32", "ntstatus" or "hresult".
std::string_view RelationName(Relation relation);

// The first description of a match, else of the code it wraps, else of its first relative
// that has one, with what it belongs to ("" for the match's own, else e.g. "Win32 998").
struct DescriptionOf {
  const std::string* text = nullptr;
  std::string owner;
  DescriptionSource source = DescriptionSource::System;
};
DescriptionOf FirstDescription(const KindAnswer& match);

// text without its trailing CR, LF, blanks and tabs.
std::string_view TrimTrailingSpace(std::string_view text);

}  // namespace quillon
