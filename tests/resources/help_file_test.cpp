// The help file carried as resource 999, read back with libchm's tools
// (libchm-bin), which share no code with the compiler that built it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "resources/embedded.h"
#include "tests/support/sim_harness.h"

namespace tunora {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Standard output of a shell command; `status` is its exit status.
std::string RunCommand(const std::string& command, int& status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return out;
  }
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  status = pclose(pipe);
  return out;
}

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class HelpFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string tool : {"enum_chmLib", "extract_chmLib"}) {
      ASSERT_EQ(std::system(("command -v " + tool + " >/dev/null").c_str()), 0)
          << tool << " is missing: install libchm-bin (./scripts/setup does)";
    }
    const auto help = TunoraResource(kResHelp);
    ASSERT_TRUE(help.has_value());
    bytes_ = std::string(*help);
    chm_ = temp_.path() / "TUNORAHELP.CHM";
    std::ofstream(chm_, std::ios::binary) << bytes_;
  }

  // The names enum_chmLib lists, each the last field of its line.
  std::set<std::string> Listing() {
    int status = 0;
    std::istringstream lines(RunCommand("enum_chmLib " + Quoted(chm_), status));
    EXPECT_EQ(status, 0);
    std::set<std::string> names;
    for (std::string line; std::getline(lines, line);) {
      const std::size_t field = line.find_last_of(" \t");
      names.insert(line.substr(field == std::string::npos ? 0 : field + 1));
    }
    return names;
  }

  fs::path Extract() {
    const fs::path dir = temp_.path() / "pages";
    int status = 0;
    RunCommand("extract_chmLib " + Quoted(chm_) + " " + Quoted(dir) + " 2>&1", status);
    EXPECT_EQ(status, 0);
    return dir;
  }

  testing::TempDir temp_;
  fs::path chm_;
  std::string bytes_;
};

TEST_F(HelpFileTest, IsTheCompiledFileByteForByte) {
  EXPECT_EQ(bytes_.substr(0, 4), "ITSF");
  const fs::path built = fs::path(TUNORA_BIN_DIR) / ".." / "help" / "TUNORAHELP.CHM";
  ASSERT_TRUE(fs::exists(built)) << built;
  EXPECT_TRUE(bytes_ == Slurp(built))
      << "resource " << bytes_.size() << " bytes, file " << fs::file_size(built);
}

TEST_F(HelpFileTest, HoldsEveryTabPageAndArticleWithItsTitle) {
  const struct {
    const char* page;
    const char* title;
  } kPages[] = {
      {"tab_quillex.html", "Quillex Tab"},
      {"tab_agp.html", "AGP Tab"},
      {"tab_d3d.html", "D3D Tab"},
      {"tab_opengl.html", "OpenGL Tab"},
      {"tab_monitor.html", "Monitor Profile Tab"},
      {"tab_clock.html", "Clock Tweak Tab"},
      {"tab_qtv.html", "QTV Tab"},
      {"tab_misc.html", "Miscellaneous Tab"},
      {"ts_index.html", "Troubleshooting"},
      {"ts_apply.html", "Applying changes and rebooting"},
      {"ts_agp_mode.html", "AGP transfer mode"},
      {"ts_d3d_vsync.html", "Direct3D vertical sync"},
      {"ts_opengl.html", "OpenGL presets, vertical sync and page flipping"},
      {"ts_multitexturing.html", "Advanced multitexturing"},
      {"ts_bus_mastering.html", "Bus mastering"},
      {"ts_bitmap_caching.html", "Device-bitmap caching"},
      {"ts_subimage_cache.html", "Sub-image cache"},
      {"ts_clock.html", "Clock tweak"},
      {"ts_custom_resolution.html", "Custom resolution"},
      {"ts_tv_channels.html", "TV channels"},
      {"ts_hardware_log.html", "Hardware log"},
  };
  const std::set<std::string> listing = Listing();
  const fs::path dir = Extract();
  for (const auto& [page, title] : kPages) {
    SCOPED_TRACE(page);
    EXPECT_TRUE(listing.count(std::string("/") + page));
    const std::string html = Slurp(dir / page);
    EXPECT_NE(html.find(std::string("<title>") + title + "</title>"), std::string::npos);
    EXPECT_NE(html.find(std::string("<h1>") + title + "</h1>"), std::string::npos);
  }
}

// chmcmd warns about a page linking to a missing file, but not about the
// contents or the index naming one.
TEST_F(HelpFileTest, EveryLinkNamesAFileInside) {
  const fs::path dir = Extract();
  const std::regex link(R"re((?:href|value)="([A-Za-z0-9_.]+\.(?:html|css))(?:#\w+)?")re");
  int links = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".htm") == std::string::npos && name.find(".hh") == std::string::npos) continue;
    const std::string text = Slurp(entry.path());
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it, ++links) {
      EXPECT_TRUE(fs::exists(dir / (*it)[1].str())) << name << " links to " << (*it)[1];
    }
  }
  EXPECT_GT(links, 0);
}

}  // namespace
}  // namespace tunora
