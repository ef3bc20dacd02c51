#include "sim/os/sim_regedit.h"

#include <optional>

namespace tunora::sim {
namespace {

constexpr std::string_view kUsage =
    "regedit did nothing: the simulated PC runs only \"regedit /e FILE [KEY]\" and \"regedit [/s] "
    "FILE\"";

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

bool StartsWithName(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

}  // namespace

std::optional<std::string_view> LocalMachinePath(std::string_view key_name) {
  if (!StartsWithName(key_name, kLocalMachineName)) return std::nullopt;
  key_name.remove_prefix(kLocalMachineName.size());
  if (key_name.empty()) return key_name;
  if (key_name.front() != '\\') return std::nullopt;
  return key_name.substr(1);
}

namespace {

bool IsSwitch(const std::string& argument, char letter) {
  return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-') &&
         (argument[1] | 0x20) == letter;
}

// "regedit [/s] FILE": the file merged into the registry. Only the regedit
// of 2000/XP (the one that writes version 5) deletes keys and values.
std::string Import(const std::string& file, SimRegistry& registry, Files& files, RegFileForm form) {
  const std::optional<std::string> text = files.ReadFile(file);
  if (!text) return "regedit could not read " + Quoted(file);
  try {
    ImportRegFile(*text, registry.hive(), form == RegFileForm::kVersion5, file);
  } catch (const RegistryFileError& error) {
    return "regedit could not import " + Quoted(file) + ": " + error.what();
  }
  registry.NoteChange();
  return "regedit imported " + Quoted(file);
}

}  // namespace

bool IsRegedit(std::string_view file) {
  const std::size_t folder_end = file.find_last_of("\\/");
  if (folder_end != std::string_view::npos) file.remove_prefix(folder_end + 1);
  return NamesEqual(file, "regedit") || NamesEqual(file, "regedit.exe");
}

RegFileForm RegeditFormFor(const OsVersion& version) {
  const bool nt5 = version.platform_id == kVerPlatformWin32Nt && version.major >= 5;
  return nt5 ? RegFileForm::kVersion5 : RegFileForm::kRegedit4;
}

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  std::vector<std::string> arguments;
  std::string current;
  bool in_argument = false;
  bool quoted = false;
  for (char c : command_line) {
    if (c == '"') {
      quoted = !quoted;
      in_argument = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_argument) arguments.push_back(std::move(current));
      current.clear();
      in_argument = false;
    } else {
      current += c;
      in_argument = true;
    }
  }
  if (in_argument) arguments.push_back(std::move(current));
  return arguments;
}

std::string RunRegedit(std::string_view parameters, SimRegistry& registry, Files& files,
                       RegFileForm form) {
  const std::vector<std::string> arguments = SplitCommandLine(parameters);
  if (arguments.size() == 1 && !arguments[0].starts_with('/') && !arguments[0].starts_with('-')) {
    return Import(arguments[0], registry, files, form);
  }
  if (arguments.size() == 2 && IsSwitch(arguments[0], 's')) {
    return Import(arguments[1], registry, files, form);
  }
  const bool export_switch = !arguments.empty() && IsSwitch(arguments[0], 'e');
  if (!export_switch || arguments.size() < 2 || arguments.size() > 3) return std::string(kUsage);
  const Hive& hive = registry.hive();
  const std::string& file = arguments[1];
  // Without a key regedit exports everything; the machine has HKLM only.
  const std::string key_name =
      arguments.size() == 3 ? arguments[2] : std::string(kLocalMachineName);
  const std::optional<std::string_view> path = LocalMachinePath(key_name);
  if (!path || hive.FindKey(*path) == nullptr) {
    return "regedit could not export " + Quoted(key_name) + ": no such key";
  }
  if (!files.WriteFile(file, ExportRegFile(hive, *path, form)))
    return "regedit could not write " + Quoted(file);
  return "regedit exported " + Quoted(key_name) + " to " + Quoted(file);
}

}  // namespace tunora::sim
