// The Windows programs' resource scripts carry what the code looks up: the
// embedded files under the ids of resources/embedded.h, the pictures the
// dialog templates name, and the system-menu string.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "resources/dialogs.h"
#include "resources/embedded.h"
#include "resources/strings.h"

namespace tunora {
namespace {

struct Script {
  std::map<int, std::string> binres;  // id -> file
  std::map<int, std::string> images;  // id -> "ICON" or "BITMAP"
  std::map<int, std::string> strings;
};

Script ReadScript(const std::string& name) {
  std::ifstream in(std::string(TUNORA_SOURCE_DIR) + "/platform/win32/" + name);
  EXPECT_TRUE(in) << name;
  static const std::regex kEntry(R"re(^\s*(\d+)\s+(BINRES|ICON|BITMAP)\s+"([^"]*)"\s*$)re");
  static const std::regex kString(R"re(^\s*(\d+)\s+"([^"]*)"\s*$)re");
  Script script;
  std::string line;
  std::smatch match;
  while (std::getline(in, line)) {
    if (std::regex_match(line, match, kEntry)) {
      const int id = std::stoi(match[1]);
      if (match[2] == "BINRES") {
        script.binres[id] = match[3];
      } else {
        script.images[id] = match[2];
      }
    } else if (std::regex_match(line, match, kString)) {
      script.strings[std::stoi(match[1])] = match[2];
    }
  }
  return script;
}

TEST(WindowsResourceScript, EmbeddedFilesUnderTheIdsTheCodeLooksUp) {
  const std::map<int, std::string> tunora = {
      {kResHwgate2, "@TUNORA_HWGATE2@"}, {kResHwgate4, "@TUNORA_HWGATE4@"},
      {kResHwgt9x, "@TUNORA_HWGT9X@"},   {kResLockstep, "@TUNORA_LOCKSTEP_EXE@"},
      {kResHelp, "@TUNORA_HELP_CHM@"},
  };
  const std::map<int, std::string> lockstep = {
      {kLockstepResHwgate4, "@TUNORA_HWGATE4@"},
      {kLockstepResHwgt9x, "@TUNORA_HWGT9X@"},
  };
  EXPECT_EQ(ReadScript("tunora.rc.in").binres, tunora);
  EXPECT_EQ(ReadScript("lockstep.rc.in").binres, lockstep);
}

TEST(WindowsResourceScript, PicturesOfTheDialogsAndTheProgramIcon) {
  const Script script = ReadScript("tunora.rc.in");
  EXPECT_EQ(script.images.count(128), 1u) << "the program icon";
  for (const DialogTemplate* dialog :
       {&AboutDialog(), &MainDialog(), &NoCardDialog(), &SplashPageDialog()}) {
    for (const ControlTemplate& control : dialog->controls) {
      if (control.kind != ControlKind::kPicture) continue;
      SCOPED_TRACE("dialog " + std::to_string(dialog->id) + " picture " +
                   std::string(control.text));
      ASSERT_EQ(control.text.substr(0, 1), "#");
      EXPECT_EQ(script.images.count(std::stoi(std::string(control.text.substr(1)))), 1u);
    }
  }
  EXPECT_EQ(ReadScript("lockstep.rc.in").images.count(128), 1u);
}

TEST(WindowsResourceScript, Strings) {
  const std::map<int, std::string> strings = {{101, std::string(kAboutMenuText)},
                                              {102, "Windows xx/xx"}};
  EXPECT_EQ(ReadScript("tunora.rc.in").strings, strings);
}

}  // namespace
}  // namespace tunora
