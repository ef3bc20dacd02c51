// The runner's contract with the UIs built on it: every transcript line
// goes through Line, every failure through Abort with the script line it
// is about, and a failure never returns to the UI that hit it. The words
// of each check are tested through the scripted UI (tests/sim/ui).
#include "automation/script_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tunora::sim {
namespace {

struct Aborted {
  std::string message;
  int line;
};

class RecordingRunner : public ScriptRunner {
 public:
  explicit RecordingRunner(std::string_view script)
      : ScriptRunner(ParseUiScript(script, "s.txt")) {}
  void Line(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;

 protected:
  void Abort(const std::string& message, int line) override { throw Aborted{message, line}; }
};

constexpr std::string_view kScript =
    "expect window 5\n"
    "\n"
    "click 3\n"
    "tab \"B\"\n";

struct FailureCase {
  const char* name;
  std::function<void(RecordingRunner&)> run;  // after `expect window 5`
  int line;
  std::string message;
};

TEST(ScriptRunner, FailuresReachAbortWithTheirLine) {
  const ControlFound hidden{ControlKind::kPushButton, false, true};
  const std::vector<std::string> tabs{"A", "C"};
  const FailureCase cases[] = {
      {"expect at an action", [](RecordingRunner& r) { r.WindowShown(6, "X"); }, 3,
       "s.txt:3: expected click 3, but the program showed window 6 \"X\""},
      {"hidden control", [&](RecordingRunner& r) { r.CheckControl(r.TakeAction("w"), 5, &hidden); },
       3, "s.txt:3: click 3: button 3 of window 5 is hidden"},
      {"missing tab",
       [&](RecordingRunner& r) {
         r.Take();
         r.FindTab(r.TakeAction("w"), tabs);
       },
       4, "s.txt:4: tab \"B\": the sheet has no tab \"B\" (its tabs: \"A\" \"C\")"},
      {"left over at the end", [](RecordingRunner& r) { r.CheckFinished(2); }, 3,
       "s.txt:3: expected click 3, but the program ended with exit code 2"},
      {"script used up",
       [](RecordingRunner& r) {
         r.Take();
         r.Take();
         r.TakeAction("window 5 \"W\"");
       },
       4, "s.txt:4: the script ended, but the program waits for the user in window 5 \"W\""},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingRunner runner(kScript);
    runner.WindowShown(5, "W");
    try {
      c.run(runner);
      ADD_FAILURE() << "no failure";
    } catch (const Aborted& aborted) {
      EXPECT_EQ(aborted.line, c.line);
      EXPECT_EQ(aborted.message, c.message);
    }
  }
}

TEST(ScriptRunner, TranscriptLinesGoThroughLine) {
  RecordingRunner runner(kScript);
  runner.SheetShown("S");
  runner.WindowShown(5, "W");
  EXPECT_EQ(runner.TakeAction("w").id, 3);
  EXPECT_EQ(runner.FindTab(runner.TakeAction("w"), {"A", "B"}), 1u);
  EXPECT_TRUE(runner.finished());
  EXPECT_EQ(runner.lines,
            (std::vector<std::string>{"sheet \"S\"", "window 5 \"W\"", "click 3", "tab \"B\""}));
}

}  // namespace
}  // namespace tunora::sim
