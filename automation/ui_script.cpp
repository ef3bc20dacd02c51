#include "automation/ui_script.h"

#include <charconv>
#include <cstdio>

namespace tunora::sim {
namespace {

struct Token {
  enum class Kind { kWord, kNumber, kString } kind;
  std::string text;  // word, or the unescaped string
  int number = 0;
};

class LineParser {
 public:
  LineParser(std::string_view file_name, int line) : file_name_(file_name), line_(line) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw ScriptParseError(std::string(file_name_) + ":" + std::to_string(line_) + ": " + what,
                           line_);
  }

  std::vector<Token> Tokenize(std::string_view text) const {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      if (c == ' ' || c == '\t' || c == '\r') {
        ++i;
      } else if (c == '#') {
        break;
      } else if (c == '"') {
        tokens.push_back(ReadString(text, i));
      } else {
        tokens.push_back(ReadBare(text, i));
      }
    }
    return tokens;
  }

 private:
  Token ReadString(std::string_view text, std::size_t& i) const {
    Token token{Token::Kind::kString, {}, 0};
    for (++i; i < text.size(); ++i) {
      char c = text[i];
      if (c == '"') {
        ++i;
        return token;
      }
      if (c == '\\') {
        if (++i == text.size()) break;
        switch (text[i]) {
          case 'n':
            c = '\n';
            break;
          case '"':
            c = '"';
            break;
          case '\\':
            c = '\\';
            break;
          default:
            Fail(std::string("unknown escape \\") + text[i] + " in string");
        }
      }
      token.text += c;
    }
    Fail("string without closing quote");
  }

  Token ReadBare(std::string_view text, std::size_t& i) const {
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' &&
           text[i] != '#' && text[i] != '"') {
      ++i;
    }
    const std::string_view word = text.substr(start, i - start);
    const bool numeric = word[0] == '-' || (word[0] >= '0' && word[0] <= '9');
    if (!numeric) return Token{Token::Kind::kWord, std::string(word), 0};
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size()) {
      Fail("\"" + std::string(word) + "\" is not a decimal number");
    }
    return Token{Token::Kind::kNumber, std::string(word), value};
  }

  std::string_view file_name_;
  int line_;
};

// What follows a step's keyword: N = number, S = string.
struct Grammar {
  std::string_view keyword;
  StepKind kind;
  std::string_view arguments;
  std::string_view usage;
};

constexpr Grammar kGrammar[] = {
    {"click", StepKind::kClick, "N", "click ID"},
    {"check", StepKind::kCheck, "N", "check ID"},
    {"uncheck", StepKind::kUncheck, "N", "uncheck ID"},
    {"select", StepKind::kSelect, "NN", "select ID INDEX"},
    {"type", StepKind::kType, "NS", "type ID \"TEXT\""},
    {"slider", StepKind::kSlider, "NN", "slider ID POS"},
    {"tab", StepKind::kTab, "S", "tab \"TITLE\""},
    {"press", StepKind::kPress, "N", "press ID"},
    {"sysmenu", StepKind::kSysMenu, "N", "sysmenu ID"},
    {"dump", StepKind::kDump, "", "dump"},
};

bool ArgumentsMatch(const std::vector<Token>& tokens, std::size_t first, std::string_view shape) {
  if (tokens.size() - first != shape.size()) return false;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    const auto want = shape[i] == 'N' ? Token::Kind::kNumber : Token::Kind::kString;
    if (tokens[first + i].kind != want) return false;
  }
  return true;
}

// Fills id/value/text from the arguments in order: the first number is the
// id, the second the value; a string is the text.
void TakeArguments(const std::vector<Token>& tokens, std::size_t first, ScriptStep& step) {
  bool have_id = false;
  for (std::size_t i = first; i < tokens.size(); ++i) {
    if (tokens[i].kind == Token::Kind::kString) {
      step.text = tokens[i].text;
    } else if (!have_id) {
      step.id = tokens[i].number;
      have_id = true;
    } else {
      step.value = tokens[i].number;
    }
  }
}

ScriptStep ParseExpect(const LineParser& parser, const std::vector<Token>& tokens, int line) {
  ScriptStep step{StepKind::kExpectWindow, line, 0, 0, {}};
  const std::string_view what = tokens.size() > 1 ? std::string_view(tokens[1].text) : "";
  if (what == "window" && ArgumentsMatch(tokens, 2, "N")) {
    step.id = tokens[2].number;
  } else if (what == "message" && ArgumentsMatch(tokens, 2, "S")) {
    step.kind = StepKind::kExpectMessage;
    step.text = tokens[2].text;
  } else {
    parser.Fail("expected `expect window ID` or `expect message \"TEXT\"`");
  }
  return step;
}

ScriptStep ParseKey(const LineParser& parser, const std::vector<Token>& tokens, int line) {
  if (tokens.size() == 2 && tokens[1].text == "escape") {
    return ScriptStep{StepKind::kKeyEscape, line, 0, 0, {}};
  }
  if (tokens.size() == 2 && tokens[1].text == "enter") {
    return ScriptStep{StepKind::kKeyEnter, line, 0, 0, {}};
  }
  parser.Fail("expected `key escape` or `key enter`");
}

ScriptStep ParseStep(const LineParser& parser, const std::vector<Token>& tokens, int line) {
  if (tokens[0].kind != Token::Kind::kWord) parser.Fail("a step starts with a word");
  const std::string& keyword = tokens[0].text;
  if (keyword == "expect") return ParseExpect(parser, tokens, line);
  if (keyword == "key") return ParseKey(parser, tokens, line);
  for (const Grammar& grammar : kGrammar) {
    if (keyword != grammar.keyword) continue;
    if (!ArgumentsMatch(tokens, 1, grammar.arguments)) {
      parser.Fail("expected `" + std::string(grammar.usage) + "`");
    }
    ScriptStep step{grammar.kind, line, 0, 0, {}};
    TakeArguments(tokens, 1, step);
    return step;
  }
  parser.Fail("unknown step \"" + keyword + "\"");
}

}  // namespace

UiScript ParseUiScript(std::string_view text, std::string_view file_name) {
  UiScript script;
  script.file_name = std::string(file_name);
  int line = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++line;
    const LineParser parser(file_name, line);
    const std::vector<Token> tokens = parser.Tokenize(text.substr(start, end - start));
    if (!tokens.empty()) script.steps.push_back(ParseStep(parser, tokens, line));
    start = end + 1;
  }
  script.line_count = line;
  return script;
}

std::string QuoteScriptString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\n') {
      quoted += "\\n";
    } else if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string FormatStep(const ScriptStep& step) {
  const std::string id = std::to_string(step.id);
  switch (step.kind) {
    case StepKind::kExpectMessage:
      return "expect message " + QuoteScriptString(step.text);
    case StepKind::kExpectWindow:
      return "expect window " + id;
    case StepKind::kClick:
      return "click " + id;
    case StepKind::kCheck:
      return "check " + id;
    case StepKind::kUncheck:
      return "uncheck " + id;
    case StepKind::kSelect:
      return "select " + id + " " + std::to_string(step.value);
    case StepKind::kType:
      return "type " + id + " " + QuoteScriptString(step.text);
    case StepKind::kSlider:
      return "slider " + id + " " + std::to_string(step.value);
    case StepKind::kTab:
      return "tab " + QuoteScriptString(step.text);
    case StepKind::kPress:
      return "press " + id;
    case StepKind::kKeyEscape:
      return "key escape";
    case StepKind::kKeyEnter:
      return "key enter";
    case StepKind::kSysMenu:
      return "sysmenu " + id;
    case StepKind::kDump:
      return "dump";
  }
  return {};
}

bool IsExpectStep(const ScriptStep& step) {
  return step.kind == StepKind::kExpectMessage || step.kind == StepKind::kExpectWindow;
}

// C stdio rather than file streams: std::fstream would import msvcrt
// calls that Windows 98 and NT 4 lack.
UiScript ReadUiScript(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) throw ScriptParseError(path + ": cannot read the script", 0);
  std::string text;
  char buffer[4096];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file)) text.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) throw ScriptParseError(path + ": cannot read the script", 0);
  return ParseUiScript(text, path);
}

}  // namespace tunora::sim
