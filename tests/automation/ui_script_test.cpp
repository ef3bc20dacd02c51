#include "automation/ui_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tunora::sim {
namespace {

struct StepCase {
  std::string_view line;
  ScriptStep step;  // line number 1
};

const StepCase kStepCases[] = {
    {"expect window 102", {StepKind::kExpectWindow, 1, 102, 0, ""}},
    {"expect message \"Hello\"", {StepKind::kExpectMessage, 1, 0, 0, "Hello"}},
    {"click 1004", {StepKind::kClick, 1, 1004, 0, ""}},
    {"check 1017", {StepKind::kCheck, 1, 1017, 0, ""}},
    {"uncheck 1017", {StepKind::kUncheck, 1, 1017, 0, ""}},
    {"select 1072 3", {StepKind::kSelect, 1, 1072, 3, ""}},
    {"type 1105 \"5500\"", {StepKind::kType, 1, 1105, 0, "5500"}},
    {"slider 1091 -5", {StepKind::kSlider, 1, 1091, -5, ""}},
    {"tab \"Clock Tweak\"", {StepKind::kTab, 1, 0, 0, "Clock Tweak"}},
    {"press 7", {StepKind::kPress, 1, 7, 0, ""}},
    {"key escape", {StepKind::kKeyEscape, 1, 0, 0, ""}},
    {"key enter", {StepKind::kKeyEnter, 1, 0, 0, ""}},
    {"sysmenu 16", {StepKind::kSysMenu, 1, 16, 0, ""}},
    {"dump", {StepKind::kDump, 1, 0, 0, ""}},
    // Spacing, tabs, carriage returns and trailing comments do not matter.
    {"  click\t1003   # Exit", {StepKind::kClick, 1, 1003, 0, ""}},
    {"key enter\r", {StepKind::kKeyEnter, 1, 0, 0, ""}},
    // Escapes, and a # inside a string is text.
    {R"(expect message "a\nb")", {StepKind::kExpectMessage, 1, 0, 0, "a\nb"}},
    {R"(type 5 "say \"hi\" # \\")", {StepKind::kType, 1, 5, 0, "say \"hi\" # \\"}},
    {R"(type 5 "")", {StepKind::kType, 1, 5, 0, ""}},
};

TEST(UiScriptParse, EachStepKind) {
  for (const StepCase& c : kStepCases) {
    SCOPED_TRACE(c.line);
    const UiScript script = ParseUiScript(c.line, "s.txt");
    ASSERT_EQ(script.steps.size(), 1u);
    EXPECT_EQ(script.steps[0], c.step);
  }
}

TEST(UiScriptParse, FormatStepReadsBackAsTheSameStep) {
  for (const StepCase& c : kStepCases) {
    const std::string formatted = FormatStep(c.step);
    SCOPED_TRACE(formatted);
    const UiScript script = ParseUiScript(formatted, "s.txt");
    ASSERT_EQ(script.steps.size(), 1u);
    EXPECT_EQ(script.steps[0], c.step);
  }
}

TEST(UiScriptParse, FormatStepWritesCanonicalText) {
  const UiScript script =
      ParseUiScript("  type   1105   \"a\\nb\"  # x\nselect 7 2\nexpect message \"q\\\"\"", "s");
  ASSERT_EQ(script.steps.size(), 3u);
  EXPECT_EQ(FormatStep(script.steps[0]), "type 1105 \"a\\nb\"");
  EXPECT_EQ(FormatStep(script.steps[1]), "select 7 2");
  EXPECT_EQ(FormatStep(script.steps[2]), "expect message \"q\\\"\"");
}

TEST(UiScriptParse, CommentsAndBlankLinesKeepLineNumbers) {
  const UiScript script = ParseUiScript(
      "# a script\n"
      "\n"
      "expect window 102\n"
      "   # indented comment\n"
      "click 1003\n",
      "s.txt");
  ASSERT_EQ(script.steps.size(), 2u);
  EXPECT_EQ(script.steps[0].line, 3);
  EXPECT_EQ(script.steps[1].line, 5);
  EXPECT_EQ(script.line_count, 5);
  EXPECT_EQ(script.file_name, "s.txt");
}

TEST(UiScriptParse, EmptyScriptHasNoSteps) {
  EXPECT_TRUE(ParseUiScript("", "s").steps.empty());
  EXPECT_TRUE(ParseUiScript("\n# only a comment\n", "s").steps.empty());
}

struct ErrorCase {
  std::string_view text;
  int line;
  std::string_view message;
};

const ErrorCase kErrorCases[] = {
    {"jump 5", 1, "s.txt:1: unknown step \"jump\""},
    {"dump\nclick", 2, "s.txt:2: expected `click ID`"},
    {"click 12a", 1, "s.txt:1: \"12a\" is not a decimal number"},
    {"click 0x10", 1, "s.txt:1: \"0x10\" is not a decimal number"},
    {"click 1 2", 1, "s.txt:1: expected `click ID`"},
    {"select 5", 1, "s.txt:1: expected `select ID INDEX`"},
    {"type 5 text", 1, "s.txt:1: expected `type ID \"TEXT\"`"},
    {"\n\ntype 5 \"open", 3, "s.txt:3: string without closing quote"},
    {"type 5 \"a\\tb\"", 1, "s.txt:1: unknown escape \\t in string"},
    {"tab Clock", 1, "s.txt:1: expected `tab \"TITLE\"`"},
    {"key space", 1, "s.txt:1: expected `key escape` or `key enter`"},
    {"expect dialog 5", 1, "s.txt:1: expected `expect window ID` or `expect message \"TEXT\"`"},
    {"expect window \"102\"", 1,
     "s.txt:1: expected `expect window ID` or `expect message \"TEXT\"`"},
    {"\"click\" 5", 1, "s.txt:1: a step starts with a word"},
    {"dump now", 1, "s.txt:1: expected `dump`"},
};

TEST(UiScriptParse, ErrorsNameTheLine) {
  for (const ErrorCase& c : kErrorCases) {
    SCOPED_TRACE(c.text);
    try {
      ParseUiScript(c.text, "s.txt");
      ADD_FAILURE() << "no error";
    } catch (const ScriptParseError& error) {
      EXPECT_EQ(error.what(), std::string(c.message));
      EXPECT_EQ(error.line(), c.line);
    }
  }
}

TEST(UiScriptQuote, EscapesNewlineQuoteAndBackslash) {
  EXPECT_EQ(QuoteScriptString("plain"), "\"plain\"");
  EXPECT_EQ(QuoteScriptString("a\nb"), "\"a\\nb\"");
  EXPECT_EQ(QuoteScriptString("say \"x\""), "\"say \\\"x\\\"\"");
  EXPECT_EQ(QuoteScriptString("c:\\x.txt"), "\"c:\\\\x.txt\"");
}

TEST(UiScriptRead, ReadsAFileAndNamesItInErrors) {
  const std::filesystem::path dir = testing::TempDir();
  const std::filesystem::path good = dir / "ui_script_good.txt";
  const std::filesystem::path bad = dir / "ui_script_bad.txt";
  std::ofstream(good) << "expect window 102\nclick 1003\n";
  std::ofstream(bad) << "expect window 102\nclick\n";

  const UiScript script = ReadUiScript(good);
  EXPECT_EQ(script.steps.size(), 2u);
  EXPECT_EQ(script.file_name, good.string());
  try {
    ReadUiScript(bad);
    ADD_FAILURE() << "no error";
  } catch (const ScriptParseError& error) {
    EXPECT_EQ(error.what(), bad.string() + ":2: expected `click ID`");
  }
  EXPECT_THROW(ReadUiScript(dir / "no_such_script.txt"), ScriptParseError);
}

}  // namespace
}  // namespace tunora::sim
