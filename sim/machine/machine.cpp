#include "sim/machine/machine.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/os/hive_file.h"
#include "sim/os/regedit4.h"

namespace tunora::sim {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string ReadText(const fs::path& path) {
  WholeFile file = ReadWholeFile(path);
  switch (file.outcome) {
    case WholeFile::Outcome::kRead:
      return std::move(file.bytes);
    case WholeFile::Outcome::kNotAFile:
      throw MachineError(path.string() + ": not a file");
    case WholeFile::Outcome::kTooLarge:
      throw MachineError(path.string() + ": " + std::to_string(file.size) + " bytes, too large");
    case WholeFile::Outcome::kCannotOpen:
    case WholeFile::Outcome::kReadFailed:
      break;
  }
  throw MachineError(path.string() + ": cannot be read");
}

json ParseJson(const fs::path& path) {
  try {
    return json::parse(ReadText(path));
  } catch (const json::parse_error& error) {
    throw MachineError(path.string() + ": not valid JSON (" + error.what() + ")");
  }
}

std::string HexBytes(const std::uint8_t* data, std::size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    text.push_back(digits[data[i] >> 4]);
    text.push_back(digits[data[i] & 15]);
  }
  return text;
}

std::vector<std::uint8_t> FromHex(const std::string& text, std::size_t expected,
                                  const std::string& where) {
  if (text.size() != expected * 2) throw MachineError(where + ": wrong length");
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::string SlotName(std::uint8_t bus, std::uint8_t device) {
  return std::to_string(bus) + ":" + std::to_string(device);
}

// The folders a fresh Windows installation has on C:.
void MakeDriveC(const fs::path& drive_c, const Profile& profile) {
  fs::path windows = drive_c;
  for (const std::string& name : WindowsDirectoryNames(profile.windows_directory)) windows /= name;
  fs::create_directories(windows);
  if (profile.version.platform_id == kVerPlatformWin32Windows) {
    fs::create_directories(windows / "SYSTEM");
  } else {
    fs::create_directories(windows / "System32" / "Drivers");
  }
  fs::create_directories(drive_c / "Program Files");
}

}  // namespace

void WriteFileAtomic(const fs::path& path, const std::string& text) {
  try {
    WriteTextFileAtomic(path, text);
  } catch (const RegistryFileError& error) {
    throw MachineError(error.what());
  }
}

void Machine::Create(const fs::path& dir, const Profile& profile) {
  if (fs::exists(dir / "machine.json")) {
    throw MachineError(dir.string() + " already holds a machine");
  }
  // The registry must parse before anything is written.
  Hive hive = ParseRegedit4(profile.registry, "registry of profile " + profile.name);
  fs::create_directories(dir);
  // A state an earlier machine left here is not this machine's.
  fs::remove(dir / "state.json");
  MakeDriveC(dir / "drive_c", profile);
  SaveHiveFileAtomic(hive, dir / "registry.reg");
  WriteFileAtomic(dir / "machine.json", ProfileToJson(profile).dump(2) + "\n");
}

Machine::Machine(fs::path dir) : dir_(std::move(dir)) {
  if (!fs::exists(dir_ / "machine.json")) {
    throw MachineError(dir_.string() + " is not a machine directory (no machine.json)");
  }
  try {
    profile_ = ProfileFromJson(ParseJson(dir_ / "machine.json"));
  } catch (const ProfileError& error) {
    throw MachineError((dir_ / "machine.json").string() + ": " + error.what());
  }
  registry_ = std::make_unique<SimRegistry>(LoadHiveFile(dir_ / "registry.reg"),
                                            profile_.administrator, dir_ / "registry.reg");
  BuildHardware();
  services_ = BootServiceTable(*registry_);
  if (fs::exists(dir_ / "state.json")) LoadState();
}

Machine::~Machine() = default;

void Machine::BuildHardware() {
  bus_ = std::make_unique<PciBus>([this] { return virtual_ms_; });
  physical_ = std::make_unique<PhysicalMemory>();
  cards_.clear();
  for (const PciDeviceSpec& spec : profile_.pci) {
    PciDevice device(spec.vendor_id, spec.device_id);
    device.SetSubsystem(spec.subsystem_vendor, spec.subsystem_id);
    device.SetClassCode(spec.class_code);
    for (const auto& [reg, value] : spec.registers) device.Set32(reg, value);
    PciDevice& attached = bus_->Attach(spec.bus, spec.device, device);
    if (spec.card) {
      auto model = std::make_unique<CardModel>([this] { return virtual_ms_; });
      model->SetDividers(spec.card->pll_m, spec.card->pll_n, spec.card->pll_p);
      for (const auto& [index, value] : spec.card->dac) model->SetDac(index, value);
      model->SetPllNeverLocks(spec.card->pll_never_locks);
      model->SetPllLockReads(spec.card->pll_lock_reads);
      physical_->AttachCard(attached, *model);
      cards_.push_back({spec.bus, spec.device, std::move(model)});
    }
  }
  physical_->SetVideoBios(
      BuildVideoBios(profile_.bios.version_text, profile_.bios.parameter_block_offset,
                     profile_.bios.parameter_block, profile_.bios.block_pointer));
}

std::vector<CardModel*> Machine::cards() {
  std::vector<CardModel*> result;
  for (Card& card : cards_) result.push_back(card.model.get());
  return result;
}

DeviceFaults Machine::device_faults() const {
  DeviceFaults faults;
  faults.driver_never_loads = profile_.faults.driver_never_loads;
  faults.device_open_fails = profile_.faults.device_open_fails;
  if (profile_.faults.vxd_version) faults.vxd_version = *profile_.faults.vxd_version;
  return faults;
}

void Machine::LoadState() {
  const fs::path path = dir_ / "state.json";
  const json state = ParseJson(path);
  try {
    virtual_ms_ = state.value("virtual_ms", std::uint64_t{0});
    boot_count_ = state.value("boot", std::uint64_t{1});
    pending_reboot_ = state.value("pending_reboot", false);
    if (state.contains("services")) {
      services_.services.clear();
      for (const json& s : state.at("services")) {
        ServiceEntry entry;
        entry.name = s.at("name").get<std::string>();
        // The name becomes a key below Services: an empty one, or one with
        // a backslash, would name Services itself or another key.
        if (!IsServiceName(entry.name)) {
          throw MachineError(path.string() + ": \"" + entry.name + "\" is no service name");
        }
        entry.image_path = s.value("image_path", std::string());
        entry.running = s.value("running", false);
        entry.stop_pending = s.value("stop_pending", false);
        entry.delete_pending = s.value("delete_pending", false);
        if (s.contains("driver")) {
          const std::string driver = s.at("driver").get<std::string>();
          for (DriverKind kind :
               {DriverKind::kHwgate2, DriverKind::kHwgate4, DriverKind::kHwgt9x}) {
            if (driver == DriverName(kind)) entry.driver = kind;
          }
        }
        services_.services[ServiceTableKey(entry.name)] = entry;
      }
    }
    const json pci = state.value("pci", json::object());
    for (const auto& [slot, hex] : pci.items()) {
      const auto colon = slot.find(':');
      PciDevice* device = bus_->Find(static_cast<std::uint8_t>(std::stoul(slot.substr(0, colon))),
                                     static_cast<std::uint8_t>(std::stoul(slot.substr(colon + 1))));
      if (device == nullptr) continue;
      const std::vector<std::uint8_t> bytes = FromHex(hex.get<std::string>(), 256, "pci " + slot);
      for (int reg = 0; reg < 256; reg += 4) {
        device->Set32(static_cast<std::uint8_t>(reg),
                      static_cast<std::uint32_t>(bytes[reg] | bytes[reg + 1] << 8 |
                                                 bytes[reg + 2] << 16 | bytes[reg + 3] << 24));
      }
    }
    const json cards = state.value("cards", json::object());
    for (const auto& [slot, registers] : cards.items()) {
      for (Card& card : cards_) {
        if (SlotName(card.bus, card.device) != slot) continue;
        const auto dac = FromHex(registers.at("dac").get<std::string>(), 256, "card dac");
        const auto seq =
            FromHex(registers.at("sequencer").get<std::string>(), 256, "card sequencer");
        for (int i = 0; i < 256; ++i) {
          if (i != kDacPllStatus) card.model->SetDac(static_cast<std::uint8_t>(i), dac[i]);
          card.model->SetSequencer(static_cast<std::uint8_t>(i), seq[i]);
        }
      }
    }
  } catch (const json::exception& error) {
    throw MachineError(path.string() + ": damaged (" + error.what() + ")");
  } catch (const std::invalid_argument& error) {
    throw MachineError(path.string() + ": damaged (" + error.what() + ")");
  }
}

void Machine::SaveState() {
  // A registry change a program made in a group whose save failed is
  // still only in memory: save it now, or say that it is lost.
  if (!registry_->SavePending()) {
    throw MachineError((dir_ / "registry.reg").string() +
                       ": the registry changes of this run could not be saved");
  }
  WriteFileAtomic(dir_ / "state.json", StateJson().dump(1) + "\n");
}

json Machine::StateJson() const {
  json state;
  state["boot"] = boot_count_;
  state["virtual_ms"] = virtual_ms_;
  state["pending_reboot"] = pending_reboot_;
  state["services"] = json::array();
  for (const auto& [key, entry] : services_.services) {
    json s = {{"name", entry.name},
              {"image_path", entry.image_path},
              {"running", entry.running},
              {"stop_pending", entry.stop_pending},
              {"delete_pending", entry.delete_pending}};
    if (entry.driver) s["driver"] = DriverName(*entry.driver);
    state["services"].push_back(s);
  }
  state["pci"] = json::object();
  for (const PciDeviceSpec& spec : profile_.pci) {
    const PciDevice* device = bus_->Find(spec.bus, spec.device);
    if (device == nullptr) continue;
    std::uint8_t bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = device->Read8(static_cast<std::uint8_t>(i));
    state["pci"][SlotName(spec.bus, spec.device)] = HexBytes(bytes, 256);
  }
  state["cards"] = json::object();
  for (const Card& card : cards_) {
    std::uint8_t dac[256], seq[256];
    for (int i = 0; i < 256; ++i) {
      dac[i] = card.model->Dac(static_cast<std::uint8_t>(i));
      seq[i] = card.model->Sequencer(static_cast<std::uint8_t>(i));
    }
    state["cards"][SlotName(card.bus, card.device)] = {{"dac", HexBytes(dac, 256)},
                                                       {"sequencer", HexBytes(seq, 256)}};
  }
  return state;
}

std::string Machine::Summary() const {
  return "profile: " + profile_.name + "\nboot: " + std::to_string(boot_count_) +
         "\npending reboot: " + (pending_reboot_ ? "yes" : "no") + "\n";
}

std::string Machine::CardSummary() const {
  std::string text;
  for (const Card& card : cards_) {
    const CardModel::Dividers d = card.model->PllDividers();
    char line[96];
    std::snprintf(line, sizeof line, "card %u:%02u M %u N %u P %u clock %.2f MHz\n",
                  unsigned{card.bus}, unsigned{card.device}, d.m, d.n, d.p, card.model->ClockMhz());
    text += line;
  }
  return text;
}

void Machine::Reboot() {
  RemoveServicesMarkedForDeletion(services_, *registry_);
  BuildHardware();
  services_ = BootServiceTable(*registry_);
  pending_reboot_ = false;
  ++boot_count_;
  SaveState();
}

}  // namespace tunora::sim
