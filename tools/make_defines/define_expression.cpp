#include "tools/make_defines/define_expression.h"

#include <array>
#include <cstddef>
#include <utility>

namespace quillon::make_defines {
namespace {

enum class TokenKind { Identifier, Number, Punctuator, End };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string_view text;
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsIdentifierStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentifierChar(char c) {
  return IsIdentifierStart(c) || IsDigit(c);
}

// Thrown inside the parser only; EvaluateDefine turns it into an Evaluation error.
struct EvaluationError {
  std::string message;
};

std::vector<Token> Tokenize(std::string_view text) {
  constexpr std::array<std::string_view, 2> kTwoCharPunctuators = {"<<", ">>"};
  constexpr std::string_view kOneCharPunctuators = "()+-~|&^,";
  std::vector<Token> tokens;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == ' ' || c == '\t') {
      ++pos;
      continue;
    }
    std::size_t end = pos + 1;
    TokenKind kind = TokenKind::Punctuator;
    if (IsIdentifierStart(c)) {
      while (end < text.size() && IsIdentifierChar(text[end])) ++end;
      kind = TokenKind::Identifier;
    } else if (IsDigit(c)) {
      // A preprocessing number: the literal and any suffix, checked when it is read.
      while (end < text.size() && (IsIdentifierChar(text[end]) || text[end] == '.')) ++end;
      kind = TokenKind::Number;
    } else if (pos + 1 < text.size() && (text.substr(pos, 2) == kTwoCharPunctuators[0] ||
                                         text.substr(pos, 2) == kTwoCharPunctuators[1])) {
      end = pos + 2;
    } else if (kOneCharPunctuators.find(c) == std::string_view::npos) {
      throw EvaluationError{"unexpected character '" + std::string(1, c) + "'"};
    }
    tokens.push_back({kind, text.substr(pos, end - pos)});
    pos = end;
  }
  return tokens;
}

int DigitValue(char c) {
  if (IsDigit(c))
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return 99;
}

// C's integer suffixes: an optional u and an optional l or ll, in either order, any case
// (but not "lL").
bool IsIntegerSuffix(std::string_view suffix) {
  std::string lower;
  for (const char c : suffix)
    lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  constexpr std::array<std::string_view, 8> kSuffixes = {"",   "u",  "l",   "ul",
                                                         "lu", "ll", "ull", "llu"};
  bool known = false;
  for (const std::string_view candidate : kSuffixes) known = known || lower == candidate;
  return known && suffix.find("lL") == std::string_view::npos &&
         suffix.find("Ll") == std::string_view::npos;
}

std::uint32_t ReadNumber(std::string_view text) {
  int base = 10;
  std::size_t pos = 0;
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    pos = 2;
  } else if (text[0] == '0') {
    base = 8;
  }
  const std::size_t digitsStart = pos;
  std::uint64_t value = 0;
  while (pos < text.size() && DigitValue(text[pos]) < base) {
    value = value * static_cast<std::uint64_t>(base) +
            static_cast<std::uint64_t>(DigitValue(text[pos]));
    if (value > 0xFFFFFFFFull)
      throw EvaluationError{"number " + std::string(text) + " does not fit in 32 bits"};
    ++pos;
  }
  if (pos == digitsStart || !IsIntegerSuffix(text.substr(pos))) {
    throw EvaluationError{"not an integer literal: " + std::string(text)};
  }
  return static_cast<std::uint32_t>(value);
}

// The integer types the SDK casts codes to, and the kind each cast declares.
std::optional<DeclaredKind> CastTypeKind(std::string_view word) {
  if (word == "HRESULT" || word == "SCODE")
    return DeclaredKind::Hresult;
  if (word == "NTSTATUS")
    return DeclaredKind::NtStatus;
  constexpr std::array<std::string_view, 12> kPlainTypes = {
      "LONG",     "ULONG",  "DWORD", "UINT",     "INT",  "long",
      "unsigned", "signed", "int",   "__LONG32", "BOOL", "WORD"};
  for (const std::string_view type : kPlainTypes) {
    if (word == type)
      return DeclaredKind::Plain;
  }
  return std::nullopt;
}

DeclaredKind Combine(DeclaredKind left, DeclaredKind right) {
  return left != DeclaredKind::Plain ? left : right;
}

// A value while it is parsed: reference names the define when the value is just that name.
struct Operand {
  MacroValue value;
  std::string_view reference;
};

Operand Computed(std::uint32_t value, DeclaredKind kind) {
  return Operand{{value, kind, false}, {}};
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, const ReferenceResolver& resolve, const MacroFinder& findMacro,
         int expansionDepth)
      : tokens_(std::move(tokens)),
        resolve_(resolve),
        findMacro_(findMacro),
        expansionDepth_(expansionDepth) {}

  MacroValue ParseAll() {
    if (tokens_.empty())
      throw EvaluationError{"no value"};
    Operand result = ParseBinary(0);
    if (Peek().kind != TokenKind::End)
      throw EvaluationError{"unexpected " + Describe(Peek())};
    result.value.alias = !result.reference.empty();
    return result.value;
  }

  std::vector<std::string> TakeBases() { return std::move(bases_); }

 private:
  static std::string Describe(const Token& token) {
    return token.kind == TokenKind::End ? "end of text" : "'" + std::string(token.text) + "'";
  }
  const Token& Peek(std::size_t ahead = 0) const {
    static const Token kEnd{};
    return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : kEnd;
  }
  bool IsPunctuator(std::string_view text, std::size_t ahead = 0) const {
    return Peek(ahead).kind == TokenKind::Punctuator && Peek(ahead).text == text;
  }
  void Expect(std::string_view text) {
    if (!IsPunctuator(text)) {
      throw EvaluationError{"expected '" + std::string(text) + "' but found " + Describe(Peek())};
    }
    ++pos_;
  }

  // Binding strength of the binary operator at hand as in C, or 0 when there is none.
  int Precedence() const {
    if (Peek().kind != TokenKind::Punctuator)
      return 0;
    const std::string_view op = Peek().text;
    if (op == "|")
      return 1;
    if (op == "^")
      return 2;
    if (op == "&")
      return 3;
    if (op == "<<" || op == ">>")
      return 4;
    if (op == "+" || op == "-")
      return 5;
    return 0;
  }

  Operand ParseBinary(int minPrecedence) {
    Operand left = ParseUnary();
    for (int precedence = Precedence(); precedence > minPrecedence; precedence = Precedence()) {
      const std::string_view op = Peek().text;
      ++pos_;
      const Operand right = ParseBinary(precedence);
      if (op == "+" || op == "-") {
        // A define that others count from (WSABASEERR + 4) is a base, not a code of its own.
        if (!left.reference.empty())
          bases_.emplace_back(left.reference);
        if (!right.reference.empty())
          bases_.emplace_back(right.reference);
      }
      left = Computed(Apply(op, left.value.value, right.value.value),
                      Combine(left.value.kind, right.value.kind));
    }
    return left;
  }

  static std::uint32_t Apply(std::string_view op, std::uint32_t left, std::uint32_t right) {
    if (op == "+")
      return left + right;
    if (op == "-")
      return left - right;
    if (op == "|")
      return left | right;
    if (op == "&")
      return left & right;
    if (op == "^")
      return left ^ right;
    if (right >= 32)
      throw EvaluationError{"shift by " + std::to_string(right) + " bits"};
    return op == "<<" ? left << right : left >> right;
  }

  Operand ParseUnary() {
    // Deep nesting in a damaged header must not exhaust the stack.
    constexpr int kMaxDepth = 256;
    if (++depth_ > kMaxDepth)
      throw EvaluationError{"nested too deeply"};
    Operand operand = ParseUnaryOperand();
    --depth_;
    return operand;
  }

  Operand ParseUnaryOperand() {
    if (IsPunctuator("-") || IsPunctuator("~") || IsPunctuator("+")) {
      const std::string_view op = Peek().text;
      ++pos_;
      const MacroValue operand = ParseUnary().value;
      std::uint32_t value = operand.value;
      if (op == "-")
        value = 0u - value;
      if (op == "~")
        value = ~value;
      return Computed(value, operand.kind);
    }
    if (IsPunctuator("(")) {
      if (const std::optional<DeclaredKind> castKind = ReadCast()) {
        const MacroValue operand = ParseUnary().value;
        return Computed(operand.value, *castKind != DeclaredKind::Plain ? *castKind : operand.kind);
      }
      ++pos_;
      Operand inner = ParseBinary(0);
      Expect(")");
      return inner;
    }
    return ParsePrimary();
  }

  // At "(": when type names and ")" follow, consumes them and gives the kind they declare.
  std::optional<DeclaredKind> ReadCast() {
    std::size_t ahead = 1;
    DeclaredKind kind = DeclaredKind::Plain;
    while (Peek(ahead).kind == TokenKind::Identifier) {
      const std::optional<DeclaredKind> wordKind = CastTypeKind(Peek(ahead).text);
      if (!wordKind)
        return std::nullopt;
      kind = Combine(kind, *wordKind);
      ++ahead;
    }
    if (ahead == 1 || !IsPunctuator(")", ahead))
      return std::nullopt;
    pos_ += ahead + 1;
    return kind;
  }

  Operand ParsePrimary() {
    const Token token = Peek();
    if (token.kind == TokenKind::Number) {
      ++pos_;
      return Computed(ReadNumber(token.text), DeclaredKind::Plain);
    }
    if (token.kind != TokenKind::Identifier) {
      throw EvaluationError{"expected a value but found " + Describe(token)};
    }
    ++pos_;
    if (IsPunctuator("("))
      return ParseMacroCall(token.text);
    Evaluation referenced = resolve_(token.text);
    if (!referenced.value)
      throw EvaluationError{std::move(referenced.error)};
    return Operand{*referenced.value, token.text};
  }

  std::vector<MacroValue> ParseArguments() {
    Expect("(");
    std::vector<MacroValue> arguments;
    if (!IsPunctuator(")")) {
      arguments.push_back(ParseBinary(0).value);
      while (IsPunctuator(",")) {
        ++pos_;
        arguments.push_back(ParseBinary(0).value);
      }
    }
    Expect(")");
    return arguments;
  }

  // The SDK's code-making macros, by their documented meaning.
  Operand ParseMacroCall(std::string_view name) {
    struct KnownMacro {
      std::string_view name;
      std::size_t arity;
    };
    constexpr std::array<KnownMacro, 8> kKnown = {{{"__MSABI_LONG", 1},
                                                   {"_HRESULT_TYPEDEF_", 1},
                                                   {"_NDIS_ERROR_TYPEDEF_", 1},
                                                   {"MAKE_HRESULT", 3},
                                                   {"MAKE_SCODE", 3},
                                                   {"HRESULT_FROM_WIN32", 1},
                                                   {"__HRESULT_FROM_WIN32", 1},
                                                   {"HRESULT_FROM_NT", 1}}};
    std::size_t arity = 0;
    for (const KnownMacro& known : kKnown) {
      if (known.name == name)
        arity = known.arity;
    }
    if (arity == 0) {
      const MacroDefinition* macro = findMacro_ ? findMacro_(name) : nullptr;
      if (macro == nullptr)
        throw EvaluationError{"uses the macro " + std::string(name) + "()"};
      return Expand(*macro);
    }
    const std::vector<MacroValue> args = ParseArguments();
    if (args.size() != arity) {
      throw EvaluationError{std::string(name) + "() takes " + std::to_string(arity) +
                            " argument(s), not " + std::to_string(args.size())};
    }
    const std::uint32_t x = args[0].value;
    if (name == "__MSABI_LONG")
      return Computed(x, args[0].kind);
    if (name == "_HRESULT_TYPEDEF_")
      return Computed(x, DeclaredKind::Hresult);
    if (name == "_NDIS_ERROR_TYPEDEF_")
      return Computed(x, DeclaredKind::NtStatus);
    if (name == "HRESULT_FROM_NT")
      return Computed(x | 0x10000000u, DeclaredKind::Hresult);
    if (name == "MAKE_HRESULT" || name == "MAKE_SCODE") {
      return Computed((x << 31) | (args[1].value << 16) | args[2].value, DeclaredKind::Hresult);
    }
    // HRESULT_FROM_WIN32: zero and negative values pass unchanged; others get facility 7.
    const bool passThrough = x == 0 || (x & 0x80000000u) != 0;
    return Computed(passThrough ? x : ((x & 0xFFFFu) | 0x80070000u), DeclaredKind::Hresult);
  }

  // The arguments of a call as token texts, split at the commas outside parentheses.
  std::vector<std::string> ReadArgumentTexts() {
    Expect("(");
    std::vector<std::string> arguments(1);
    int nesting = 0;
    for (;; ++pos_) {
      const Token& token = Peek();
      if (token.kind == TokenKind::End)
        throw EvaluationError{"expected ')' but found end of text"};
      if (IsPunctuator(")") && nesting == 0)
        break;
      if (IsPunctuator(",") && nesting == 0) {
        arguments.emplace_back();
        continue;
      }
      nesting += IsPunctuator("(") ? 1 : IsPunctuator(")") ? -1 : 0;
      if (!arguments.back().empty())
        arguments.back() += ' ';
      arguments.back() += token.text;
    }
    ++pos_;
    if (arguments.size() == 1 && arguments[0].empty())
      arguments.clear();
    return arguments;
  }

  // Replaces the call by the macro's body with the arguments put in for the parameters, and
  // evaluates that.
  Operand Expand(const MacroDefinition& macro) {
    // A macro that expands to itself must not exhaust the stack.
    constexpr int kMaxExpansions = 16;
    if (expansionDepth_ >= kMaxExpansions)
      throw EvaluationError{"macros nested too deeply at " + macro.name + "()"};
    const std::vector<std::string> arguments = ReadArgumentTexts();
    if (arguments.size() != macro.parameters.size()) {
      throw EvaluationError{macro.name + "() takes " + std::to_string(macro.parameters.size()) +
                            " argument(s), not " + std::to_string(arguments.size())};
    }
    std::string text;
    for (const Token& token : Tokenize(macro.body)) {
      std::string_view piece = token.text;
      for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (token.kind == TokenKind::Identifier && macro.parameters[i] == token.text)
          piece = arguments[i];
      }
      text += ' ';
      text += piece;
    }
    Parser expansion(Tokenize(text), resolve_, findMacro_, expansionDepth_ + 1);
    const MacroValue value = expansion.ParseAll();
    for (std::string& base : expansion.TakeBases()) bases_.push_back(std::move(base));
    return Computed(value.value, value.kind);
  }

  std::vector<Token> tokens_;
  const ReferenceResolver& resolve_;
  const MacroFinder& findMacro_;
  int expansionDepth_ = 0;
  std::size_t pos_ = 0;
  int depth_ = 0;
  std::vector<std::string> bases_;
};

}  // namespace

Evaluation EvaluateDefine(std::string_view body, const ReferenceResolver& resolve,
                          const MacroFinder& findMacro) {
  Evaluation evaluation;
  try {
    Parser parser(Tokenize(body), resolve, findMacro, 0);
    evaluation.value = parser.ParseAll();
    evaluation.bases = parser.TakeBases();
  } catch (const EvaluationError& error) {
    evaluation.error = error.message;
  }
  return evaluation;
}

}  // namespace quillon::make_defines
