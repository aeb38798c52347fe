#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tools/make_defines/define_expression.h"
#include "tools/make_defines/define_scanner.h"
#include "tools/make_defines/listed_codes.h"

namespace quillon::make_defines {
namespace {

struct ScanCase {
  const char* label;
  const char* text;
  std::vector<MacroDefinition> expected;
};

TEST(ScanDefines, FindsDirectivesAsThePreprocessorSeesThem) {
  const ScanCase cases[] = {
      {"plain", "#define A 1\n", {{"A", false, "1", 1, {}}}},
      {"blanks around #", "  #  define\tB\t( 2 )  \n", {{"B", false, "( 2 )", 1, {}}}},
      {"function-like", "#define F(x) ((x)+1)\n", {{"F", true, "((x)+1)", 1, {"x"}}}},
      {"parameters", "#define G( a , b ) a\n", {{"G", true, "a", 1, {"a", "b"}}}},
      {"no parameters", "#define H() 1\n", {{"H", true, "1", 1, {}}}},
      {"space before ( is a body", "#define G (x)\n", {{"G", false, "(x)", 1, {}}}},
      {"continued line",
       "#define C \\\n  0x5\n#define D 6\n",
       {{"C", false, "0x5", 1, {}}, {"D", false, "6", 3, {}}}},
      {"CRLF continued line", "#define C \\\r\n 7L\r\n", {{"C", false, "7L", 1, {}}}},
      {"block comment", "#define D 5 /* five */\n", {{"D", false, "5", 1, {}}}},
      {"comment over lines",
       "#define E /* a\nb */ 7\n#define F 8\n",
       {{"E", false, "7", 1, {}}, {"F", false, "8", 3, {}}}},
      {"line comment", "#define F 8 // eight\n", {{"F", false, "8", 1, {}}}},
      {"commented-out", "// #define X 1\n/* #define Y 2 */\n", {}},
      {"comment opener in a string",
       "#define S \"/*\" 1\n#define T 2\n",
       {{"S", false, "\"/*\" 1", 1, {}}, {"T", false, "2", 2, {}}}},
      {"empty body", "#ifndef G_\n#define G_\n#endif\n", {{"G_", false, "", 2, {}}}},
      {"not a define", "#defined X 1\n#define\n#define 1 2\n#undef A\n", {}},
      {"no final newline", "#define Z 9", {{"Z", false, "9", 1, {}}}},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.label);
    const std::vector<MacroDefinition> found = ScanDefines(c.text);
    ASSERT_EQ(c.expected.size(), found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(c.expected[i].name, found[i].name);
      EXPECT_EQ(c.expected[i].functionLike, found[i].functionLike);
      EXPECT_EQ(c.expected[i].body, found[i].body);
      EXPECT_EQ(c.expected[i].line, found[i].line);
      EXPECT_EQ(c.expected[i].parameters, found[i].parameters);
    }
  }
}

// Other defines the expressions below may name.
Evaluation Resolve(std::string_view name) {
  static const std::map<std::string, MacroValue, std::less<>> kKnown = {
      {"WSABASEERR", {10000, DeclaredKind::Plain, false}},
      {"ERROR_OUTOFMEMORY", {14, DeclaredKind::Plain, false}},
      {"ERROR_INSUFFICIENT_BUFFER", {122, DeclaredKind::Plain, false}},
      {"SEVERITY_ERROR", {1, DeclaredKind::Plain, false}},
      {"FACILITY_ITF", {4, DeclaredKind::Plain, false}},
      {"SEC_E_INTERNAL_ERROR", {0x80090304u, DeclaredKind::Hresult, false}},
  };
  const auto found = kKnown.find(name);
  if (found == kKnown.end())
    return {std::nullopt, "unknown name " + std::string(name), {}};
  return {found->second, {}, {}};
}

struct ValueCase {
  const char* body;
  std::uint32_t value;
  DeclaredKind kind;
  bool alias;
};

TEST(EvaluateDefine, UnderstandsEveryDeclarationFormOfTheSdk) {
  const ValueCase cases[] = {
      {"__MSABI_LONG(5)", 5, DeclaredKind::Plain, false},
      {"__MSABI_LONG(0x80040100)", 0x80040100u, DeclaredKind::Plain, false},
      {"_HRESULT_TYPEDEF_(0x80004005L)", 0x80004005u, DeclaredKind::Hresult, false},
      {"_HRESULT_TYPEDEF_(__MSABI_LONG(0x800C0002))", 0x800C0002u, DeclaredKind::Hresult, false},
      {"((HRESULT)0x00000001)", 1, DeclaredKind::Hresult, false},
      {"((SCODE) 0x80004005L)", 0x80004005u, DeclaredKind::Hresult, false},
      {"((NTSTATUS)0xC0000005L)", 0xC0000005u, DeclaredKind::NtStatus, false},
      {"_NDIS_ERROR_TYPEDEF_(0xC0230001L)", 0xC0230001u, DeclaredKind::NtStatus, false},
      {"((ULONG)0x0000000AL)", 10, DeclaredKind::Plain, false},
      {"((unsigned __LONG32)(1)<<31)", 0x80000000u, DeclaredKind::Plain, false},
      {"MAKE_HRESULT(1, 7, 5)", 0x80070005u, DeclaredKind::Hresult, false},
      {"MAKE_SCODE(SEVERITY_ERROR,FACILITY_ITF,0x200)", 0x80040200u, DeclaredKind::Hresult, false},
      {"HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)", 0x8007007Au, DeclaredKind::Hresult, false},
      {"HRESULT_FROM_WIN32(0)", 0, DeclaredKind::Hresult, false},
      {"__HRESULT_FROM_WIN32(0x80004005)", 0x80004005u, DeclaredKind::Hresult, false},
      {"HRESULT_FROM_NT(0xC0000005)", 0xD0000005u, DeclaredKind::Hresult, false},
      {"(WSABASEERR + 4)", 10004, DeclaredKind::Plain, false},
      {"ERROR_OUTOFMEMORY", 14, DeclaredKind::Plain, true},
      {"(ERROR_OUTOFMEMORY)", 14, DeclaredKind::Plain, true},
      {"SEC_E_INTERNAL_ERROR", 0x80090304u, DeclaredKind::Hresult, true},
      {"-1", 0xFFFFFFFFu, DeclaredKind::Plain, false},
      {"(-2147467259)", 0x80004005u, DeclaredKind::Plain, false},
      {"~0UL", 0xFFFFFFFFu, DeclaredKind::Plain, false},
      {"4294967295U", 0xFFFFFFFFu, DeclaredKind::Plain, false},
      {"0U", 0, DeclaredKind::Plain, false},
      {"017", 15, DeclaredKind::Plain, false},
      {"0X4", 4, DeclaredKind::Plain, false},
      {"1 | 2 << 4", 33, DeclaredKind::Plain, false},
      {"12 - 2 - 3", 7, DeclaredKind::Plain, false},
      {"0xF0 & 0x3C ^ 0x01", 0x31, DeclaredKind::Plain, false},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.body);
    const Evaluation evaluation = EvaluateDefine(c.body, Resolve);
    ASSERT_TRUE(evaluation.value.has_value()) << evaluation.error;
    EXPECT_EQ(c.value, evaluation.value->value);
    EXPECT_EQ(c.kind, evaluation.value->kind);
    EXPECT_EQ(c.alias, evaluation.value->alias);
  }
}

TEST(EvaluateDefine, NamesTheBasesThatCodesCountFrom) {
  EXPECT_EQ(std::vector<std::string>{"WSABASEERR"},
            EvaluateDefine("(WSABASEERR + 1001)", Resolve).bases);
  EXPECT_TRUE(EvaluateDefine("ERROR_OUTOFMEMORY", Resolve).bases.empty());
  EXPECT_TRUE(EvaluateDefine("MAKE_SCODE(SEVERITY_ERROR,FACILITY_ITF,1)", Resolve).bases.empty());
}

// The families' own code-making macros, as a header declares them.
const MacroDefinition* FindMacro(std::string_view name) {
  static const std::vector<MacroDefinition> kMacros = ScanDefines(
      "#define MAKE_FAMILY(code) MAKE_HRESULT(1, FACILITY_ITF, code)\n"
      "#define OFFSET( base , n ) (base + n)\n"
      "#define TYPED(x) ((NTSTATUS)(x))\n"
      "#define NESTED(x) TYPED(MAKE_FAMILY(x))\n"
      "#define NONE() 7\n"
      "#define SELF(x) SELF(x)\n"
      "#define PASTE(x) x ## 1\n");
  for (const MacroDefinition& macro : kMacros) {
    if (macro.name == name)
      return &macro;
  }
  return nullptr;
}

TEST(EvaluateDefine, ExpandsTheFamiliesOwnMacros) {
  const ValueCase cases[] = {
      {"MAKE_FAMILY(0x200)", 0x80040200u, DeclaredKind::Hresult, false},
      {"MAKE_FAMILY( 2 + 3 )", 0x80040005u, DeclaredKind::Hresult, false},
      {"OFFSET(WSABASEERR, 2)", 10002, DeclaredKind::Plain, false},
      {"OFFSET((1 + 2), OFFSET(3, 4))", 10, DeclaredKind::Plain, false},
      {"NESTED(1)", 0x80040001u, DeclaredKind::NtStatus, false},
      {"NONE()", 7, DeclaredKind::Plain, false},
      {"(HRESULT)NONE()", 7, DeclaredKind::Hresult, false},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.body);
    const Evaluation evaluation = EvaluateDefine(c.body, Resolve, FindMacro);
    ASSERT_TRUE(evaluation.value.has_value()) << evaluation.error;
    EXPECT_EQ(c.value, evaluation.value->value);
    EXPECT_EQ(c.kind, evaluation.value->kind);
    EXPECT_EQ(c.alias, evaluation.value->alias);
  }
  // A base named in an argument is still a base.
  EXPECT_EQ(std::vector<std::string>{"WSABASEERR"},
            EvaluateDefine("OFFSET(WSABASEERR, 2)", Resolve, FindMacro).bases);

  const std::pair<const char*, const char*> failures[] = {
      {"MAKE_FAMILY(1, 2)", "takes 1 argument(s), not 2"},
      {"MAKE_FAMILY()", "takes 1 argument(s), not 0"},
      {"MAKE_FAMILY(1", "expected ')'"},
      {"MAKE_FAMILY", "unknown name MAKE_FAMILY"},
      {"SELF(1)", "nested too deeply"},
      {"PASTE(1)", "unexpected character '#'"},
      {"UNKNOWN_MACRO(1)", "uses the macro UNKNOWN_MACRO()"},
  };
  for (const auto& [body, reason] : failures) {
    SCOPED_TRACE(body);
    const Evaluation evaluation = EvaluateDefine(body, Resolve, FindMacro);
    EXPECT_FALSE(evaluation.value.has_value());
    EXPECT_NE(std::string::npos, evaluation.error.find(reason)) << evaluation.error;
  }
}

TEST(EvaluateDefine, RejectsWhatItCannotEvaluateWithAReason) {
  const std::string deeplyNested = std::string(5000, '(') + "1" + std::string(5000, ')');
  const std::pair<std::string, const char*> cases[] = {
      {"", "no value"},
      {"\"text\"", "unexpected character"},
      {"0x100000000", "does not fit in 32 bits"},
      {"99999999999", "does not fit in 32 bits"},
      {"12abc", "not an integer literal"},
      {"08", "not an integer literal"},
      {"1.5", "not an integer literal"},
      {"0x", "not an integer literal"},
      {"1lL", "not an integer literal"},
      {"1 +", "expected a value"},
      {"(1", "expected ')'"},
      {"1 2", "unexpected '2'"},
      {"OLESTR(\"x\")", "unexpected character"},
      {"STD_CTL_SCODE(7)", "uses the macro STD_CTL_SCODE()"},
      {"MAKE_HRESULT(1,2)", "takes 3 argument(s), not 2"},
      {"1 << 32", "shift by 32 bits"},
      {"NOT_DEFINED + 1", "unknown name NOT_DEFINED"},
      {"(HRESULT)", "expected a value"},
      {deeplyNested, "nested too deeply"},
  };
  for (const auto& [body, reason] : cases) {
    SCOPED_TRACE(body.substr(0, 40));
    const Evaluation evaluation = EvaluateDefine(body, Resolve);
    EXPECT_FALSE(evaluation.value.has_value());
    EXPECT_NE(std::string::npos, evaluation.error.find(reason)) << evaluation.error;
  }
}

TEST(ListedCodes, ReadsTheKeptListsAndNamesTheFirstBadLine) {
  std::string error;
  const Catalog bugChecks = ReadBugCheckList(
      "# source\n0x0000000A\tIRQL_NOT_LESS_OR_EQUAL\r\n\n0x1000007E\tSTOP_M\n", error);
  EXPECT_EQ("", error);
  ASSERT_EQ(2u, bugChecks.rows.size());
  EXPECT_EQ(0x1000007E, bugChecks.rows[1].code);
  EXPECT_EQ(ErrorType::Stop, bugChecks.rows[1].table);
  EXPECT_EQ(kBugCheckListSource, bugChecks.rows[1].header);

  const std::vector<StatusMapping> map = ReadStatusMap("0xC0000005\t998\n0x00000000\t0\n", error);
  EXPECT_EQ("", error);
  EXPECT_EQ((std::vector<StatusMapping>{{-1073741819, 998}, {0, 0}}), map);

  struct Bad {
    const char* text;
    bool statusMap;
  };
  const Bad bad[] = {
      {"0x1 A\n", false},               // no tab
      {"0x1\tA\tB\n", false},           // three fields
      {"0xZZ\tA\n", false},             // no number
      {"0x1\t9NAME\n", false},          // no name
      {"0x123456789\tA\n", false},      // past 32 bits
      {"0xC0000005\t0x10000\n", true},  // no Win32 code
      {"0xC0000005\t-1\n", true},
  };
  for (const Bad& line : bad) {
    SCOPED_TRACE(line.text);
    error.clear();
    if (line.statusMap)
      ReadStatusMap(std::string("# c\n") + line.text, error);
    else
      ReadBugCheckList(std::string("# c\n") + line.text, error);
    EXPECT_EQ(0u, error.find("line 2 ")) << error;
  }
}

}  // namespace
}  // namespace quillon::make_defines
