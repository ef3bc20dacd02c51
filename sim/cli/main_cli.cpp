// tunora-sim: make, inspect and restart simulated PCs.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "hwlog/log_seal.h"
#include "sim/machine/host_inventory.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"
#include "sim/machine/reboot.h"
#include "sim/os/hive_file.h"
#include "sim/os/regedit4.h"
#include "sim/os/sim_regedit.h"

namespace {

using namespace tunora::sim;

constexpr const char* kUsage =
    "usage:\n"
    "  tunora-sim profiles                          list the built-in profiles\n"
    "  tunora-sim profile NAME                      print a built-in profile as JSON\n"
    "  tunora-sim new DIR [--profile NAME|FILE.json] [--wmi-from-host] [--real-drivers]\n"
    "                                               make a machine directory; --wmi-from-host\n"
    "                                               takes its hardware inventory from here;\n"
    "                                               --real-drivers executes the driver files\n"
    "                                               the programs write\n"
    "  tunora-sim show DIR                          profile, boot count, pending reboot\n"
    "  tunora-sim show DIR registry [KEY]           print HKLM (or one key) as REGEDIT4\n"
    "  tunora-sim show DIR state                    print the volatile state as JSON\n"
    "  tunora-sim show DIR card                     each card's PLL dividers and clock\n"
    "  tunora-sim reboot DIR                        restart the machine and log on\n"
    "  tunora-sim verify-log FILE                   whether a hardware.txt was changed after\n"
    "                                               it was written (exit 0 no, 1 yes or not a\n"
    "                                               log, 2 unreadable)\n";

// A received hardware.txt, whole or partial: its checksum recomputed. A
// log is far smaller than the reader's limit (each value is cut at 1,024
// characters and each table at 300 entries).
int VerifyLog(const std::string& file) {
  const WholeFile read = ReadWholeFile(file);
  if (read.outcome == WholeFile::Outcome::kTooLarge) {
    std::cout << file << ": not a hardware log (" << read.size << " bytes, more than any log)\n";
    return 1;
  }
  if (read.outcome != WholeFile::Outcome::kRead) {
    std::cerr << "tunora-sim: cannot read " << file
              << (read.outcome == WholeFile::Outcome::kNotAFile ? " (not a regular file)\n" : "\n");
    return 2;
  }
  const tunora::LogSealCheck check = tunora::CheckLogSeal(read.bytes);
  if (!check.is_log) {
    std::cout << file
              << ": not a hardware log (it does not end in 8 lowercase hexadecimal digits)\n";
    return 1;
  }
  std::cout << file << ": "
            << (check.unchanged() ? "unchanged since it was written"
                                  : "changed after it was written")
            << "\n  checksum: expected " << check.expected_checksum << ", found "
            << check.found_checksum << "\n  tildes:   expected " << check.expected_tildes
            << ", found " << check.found_tildes << '\n';
  return check.unchanged() ? 0 : 1;
}

Profile LoadProfile(const std::string& name_or_file) {
  if (auto builtin = BuiltinProfile(name_or_file)) return *builtin;
  std::ifstream in(name_or_file);
  if (!in) {
    throw ProfileError("no built-in profile and no file named " + name_or_file +
                       " (see tunora-sim profiles)");
  }
  std::stringstream text;
  text << in.rdbuf();
  try {
    return ProfileFromJson(nlohmann::json::parse(text.str()));
  } catch (const nlohmann::json::parse_error& error) {
    throw ProfileError(name_or_file + ": not valid JSON (" + error.what() + ")");
  }
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string& command = args[0];
  if (command == "profiles" && args.size() == 1) {
    for (const std::string& name : BuiltinProfileNames()) {
      std::cout << name << (name == kDefaultProfile ? "  (default)" : "") << "\n    "
                << BuiltinProfile(name)->description << '\n';
    }
    return 0;
  }
  if (command == "profile" && args.size() == 2) {
    const auto profile = BuiltinProfile(args[1]);
    if (!profile) throw ProfileError("no built-in profile named " + args[1]);
    std::cout << ProfileToJson(*profile).dump(2) << '\n';
    return 0;
  }
  if (command == "new" && args.size() >= 2) {
    std::string profile_name = kDefaultProfile;
    bool from_host = false, real_drivers = false;
    // An option where the directory belongs is a slip, not a name.
    bool usage = args[1].starts_with("--");
    for (std::size_t i = 2; i < args.size(); ++i) {
      if (args[i] == "--profile" && i + 1 < args.size()) {
        profile_name = args[++i];
      } else if (args[i] == "--wmi-from-host") {
        from_host = true;
      } else if (args[i] == "--real-drivers") {
        real_drivers = true;
      } else {
        usage = true;
      }
    }
    if (!usage) {
      Profile profile = LoadProfile(profile_name);
      profile.real_drivers = profile.real_drivers || real_drivers;
      if (from_host) {
        profile.wmi = HostInventory("/", profile);
        WmiRepositoryFromJson(profile.wmi);  // what the machine will load
      }
      Machine::Create(args[1], profile);
      std::cout << "made " << args[1] << " from " << profile.name
                << (from_host ? ", management instrumentation from this computer" : "")
                << (profile.real_drivers ? ", executing the real drivers" : "") << '\n';
      return 0;
    }
  }
  if (command == "show" && args.size() >= 2) {
    Machine machine(args[1]);
    if (args.size() == 2) {
      std::cout << machine.Summary();
      return 0;
    }
    if (args[2] == "registry" && args.size() <= 4) {
      // A key as the export names it (with its root) or below the root.
      std::string key = args.size() == 4 ? args[3] : "";
      if (const auto below = LocalMachinePath(key)) key = std::string(*below);
      const Hive& hive = machine.registry().hive();
      if (!key.empty() && hive.FindKey(key) == nullptr) {
        std::cerr << "tunora-sim: " << args[1] << " has no key " << args[3] << '\n';
        return 1;
      }
      std::cout << ExportRegedit4(hive, key);
      return 0;
    }
    if (args[2] == "card" && args.size() == 3) {
      std::cout << machine.CardSummary();
      return 0;
    }
    if (args[2] == "state" && args.size() == 3) {
      // Read only: what state.json would hold, nothing written.
      std::cout << machine.StateJson().dump(1) << '\n';
      return 0;
    }
  }
  if (command == "verify-log" && args.size() == 2) return VerifyLog(args[1]);
  if (command == "reboot" && args.size() == 2) {
    RebootAndLogOn(args[1], KnownPrograms(), std::cout, std::cerr);
    return 0;
  }
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "tunora-sim: " << error.what() << '\n';
    return 1;
  }
}
