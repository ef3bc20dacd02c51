// The built-in machines: one per platform road and the boards worth
// seeing, each with the registry a freshly installed display driver leaves.
#include <functional>
#include <map>

#include "sim/machine/builtin_inventory.h"
#include "sim/machine/profile.h"

namespace tunora::sim {
namespace {

// ---- PCI ----------------------------------------------------------------

PciDeviceSpec HostBridge(std::uint16_t vendor, std::uint16_t device, std::uint32_t agp_capability,
                         std::uint32_t agp_command, bool b0_registers = false) {
  PciDeviceSpec d;
  d.name = "host bridge";
  d.vendor_id = vendor;
  d.device_id = device;
  d.class_code = 0x060000;
  d.registers[0x04] = 0x22000006;
  d.registers[0x34] = b0_registers ? 0xB0 : 0xA0;  // capability pointer
  d.registers[b0_registers ? 0xB0 : 0xA0] = agp_capability;
  d.registers[b0_registers ? 0xB4 : 0xA4] = 0x1F000207;  // AGP status: rates offered
  d.registers[b0_registers ? 0xB8 : 0xA8] = agp_command;
  return d;
}

PciDeviceSpec Plain(const char* name, std::uint8_t bus, std::uint8_t device, std::uint16_t vendor,
                    std::uint16_t device_id, std::uint32_t class_code) {
  PciDeviceSpec d;
  d.name = name;
  d.bus = bus;
  d.device = device;
  d.vendor_id = vendor;
  d.device_id = device_id;
  d.class_code = class_code;
  return d;
}

std::vector<PciDeviceSpec> Chipset(PciDeviceSpec host_bridge) {
  return {std::move(host_bridge), Plain("AGP bridge", 0, 1, 0x8086, 0x7191, 0x060400),
          Plain("ISA bridge", 0, 7, 0x8086, 0x7110, 0x060100),
          Plain("network adapter", 0, 10, 0x10EC, 0x8139, 0x020000),
          Plain("sound card", 0, 12, 0x1274, 0x5880, 0x040100)};
}

PciDeviceSpec MakerBoard(std::uint16_t device_id, std::uint16_t subsystem_id,
                         std::uint32_t agp_command, CardSpec card) {
  PciDeviceSpec d;
  d.name = "graphics card";
  d.bus = 1;
  d.device = 0;
  d.vendor_id = 0x102B;
  d.device_id = device_id;
  d.subsystem_vendor = 0x102B;
  d.subsystem_id = subsystem_id;
  d.class_code = 0x030000;
  d.registers[0x04] = 0x02900007;
  d.registers[0x10] = 0xD8000008;  // frame buffer
  d.registers[0x14] = 0xDFFFC000;  // control aperture (register window)
  d.registers[0x40] = 0x00000001;  // system clock from the PLL
  d.registers[0x54] = device_id == 0x0521 ? 0 : 0x0100C018;
  d.registers[0xF8] = agp_command;
  d.card = card;
  // The PLL takes a few status reads to lock, so every run exercises the
  // programs' lock waits.
  d.card->pll_lock_reads = 3;
  return d;
}

// ---- video BIOS -----------------------------------------------------------

BiosSpec Qx2Bios(std::string text, std::uint8_t rated_quarter) {
  BiosSpec b;
  b.version_text = std::move(text);
  b.parameter_block.assign(80, 0);
  b.parameter_block[5] = 4;  // block version of the QX2 family
  b.parameter_block[76] = rated_quarter;
  return b;
}

BiosSpec Qx1Bios(std::string text, std::uint8_t system_clock) {
  BiosSpec b;
  b.version_text = std::move(text);
  b.parameter_block.assign(80, 0);
  b.parameter_block[5] = 3;  // block version of the QX1 family
  b.parameter_block[44] = system_clock;
  b.parameter_block[52] = 0;
  b.parameter_block[60] = system_clock;
  b.parameter_block[62] = 0xFF;
  return b;
}

// ---- registry -------------------------------------------------------------

std::string Key(const std::string& path) { return "\n[HKEY_LOCAL_MACHINE\\" + path + "]\n"; }

std::string CommonSoftware() {
  return Key("SOFTWARE") + Key("SOFTWARE\\Microsoft") + Key("SOFTWARE\\Microsoft\\Windows") +
         Key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion") +
         "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n" +
         Key("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run") + Key("SYSTEM") +
         Key("SYSTEM\\CurrentControlSet") + Key("SYSTEM\\CurrentControlSet\\Services");
}

std::string PanelixKeys() {
  const std::string values = "\"User3D.TexUpdateAreaSize\"=dword:00080000\n";
  return Key("SOFTWARE\\Quillex") + Key("SOFTWARE\\Quillex\\Panelix") +
         "\"Version\"=\"6.00.012\"\n" + Key("SOFTWARE\\Quillex\\Panelix\\Current Settings") +
         values + Key("SOFTWARE\\Quillex\\Panelix\\Version5") +
         Key("SOFTWARE\\Quillex\\Panelix\\Version5\\CurrentSettings") + values +
         Key("SOFTWARE\\Quillex\\Panelix\\Version6") +
         Key("SOFTWARE\\Quillex\\Panelix\\Version6\\CurrentSettings") + values;
}

std::string NtServiceExtras() {
  return Key("SYSTEM\\CurrentControlSet\\Services\\Tcpip") +
         "\"Type\"=dword:00000001\n\"Start\"=dword:00000001\n\"ErrorControl\"=dword:00000001\n"
         "\"ImagePath\"=\"System32\\\\DRIVERS\\\\tcpip.sys\"\n" +
         Key("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters") +
         "\"Hostname\"=\"support-pc\"\n" + Key("SYSTEM\\CurrentControlSet\\Services\\VgaSave") +
         "\"Type\"=dword:00000001\n\"Start\"=dword:00000001\n\"Group\"=\"Video Save\"\n" +
         Key("SYSTEM\\CurrentControlSet\\Services\\VgaSave\\Device0") +
         "\"VgaCompatible\"=dword:00000001\n";
}

std::string Hex16(std::uint16_t v) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02x,%02x", v & 0xFF, v >> 8);
  return buffer;
}

// A board record's data: device id, vendor, a revision word, subsystem id.
std::string BoardRecord(std::uint16_t device_id, std::uint16_t subsystem_id) {
  return Hex16(device_id) + ",2b,10,01,00," + Hex16(subsystem_id);
}

// A 2000/XP display-driver service as the maker's installer leaves it:
// the service key, Enum and Security, and one device key per head with
// the driver's own defaults, plus `device_extras` (REGEDIT4 value lines).
std::string NtDisplayService(const std::string& service, const std::string& image,
                             const std::string& package, bool new_names, std::uint16_t device_id,
                             std::uint16_t subsystem_id, int heads,
                             const std::string& device_extras = "") {
  const std::string base = "SYSTEM\\CurrentControlSet\\Services\\" + service;
  std::string text = Key(base) +
                     "\"Type\"=dword:00000001\n\"Start\"=dword:00000001\n"
                     "\"ErrorControl\"=dword:00000000\n\"Group\"=\"Video\"\n"
                     "\"ImagePath\"=\"System32\\\\DRIVERS\\\\" +
                     image + ".sys\"\n";
  text += Key(base + "\\Enum") + "\"0\"=\"PCI\\\\VEN_102B&DEV_" + [&] {
    char b[64];
    std::snprintf(b, sizeof b, "%04X&SUBSYS_%04X102B\\\\4&74C6020&0&0008", device_id, subsystem_id);
    return std::string(b);
  }() + "\"\n\"Count\"=dword:00000001\n\"NextInstance\"=dword:00000001\n";
  text += Key(base + "\\Security") +
          "\"Security\"=hex:01,00,14,80,90,00,00,00,9c,00,00,00,14,00,00,00,30,00,00,00,02,\\\n"
          "  00,1c,00,01,00,00,00,02,80,14,00,ff,01,0f,00,01,01,00,00,00,00,00,01,00,00,\\\n"
          "  00,00\n";
  const std::string record = BoardRecord(device_id, subsystem_id);
  for (int head = 0; head < heads; ++head) {
    text += Key(base + "\\Device" + std::to_string(head)) + "\"InstalledDisplayDrivers\"=hex(7):" +
            (image == "qxg64" ? "71,78,67,36,34" : "71,78,67,64,64") +
            ",00,00\n\"VgaCompatible\"=dword:00000000\n\"PackageVer\"=\"" + package + "\"\n";
    if (new_names) {
      text += "\"D00\"=hex:" + record +
              "\n\"D00.Qxg.AGPFlags\"=hex:04,01,00,00\n"
              "\"D00.Engine.BusMastering\"=hex:01,00,00,00\n"
              "\"Qxg.AGPFlags\"=hex:04,01,00,00\n"
              "\"User3D.FlipOnVBlank\"=hex:00,00,00,00\n"
              "\"User.DeviceBitmapsCaching\"=hex:01,00,00,00\n";
    } else {
      text +=
          "\"Qxg.AGPFlags\"=hex:04,01,00,00\n"
          "\"User.FlipOnVBlank\"=hex:01,00,00,00\n"
          "\"User.UseBusMastering\"=hex:01,00,00,00\n"
          "\"User.DeviceBitmaps\"=hex:01,00,00,00\n";
    }
    text += "\"User3D.TexUpdateAreaSize\"=dword:00080000\n" + device_extras;
  }
  return text;
}

// A 98/ME display-class instance with the driver's "Settings" sub-keys.
std::string NinexDisplayInstance(const std::string& index, const std::string& description,
                                 bool ours) {
  const std::string base = "SYSTEM\\CurrentControlSet\\Services\\Class\\Display\\" + index;
  std::string text = Key(base) + "\"DriverDesc\"=\"" + description + "\"\n" +
                     "\"ProviderName\"=\"" + (ours ? "Quillex" : "(Standard display types)") +
                     "\"\n" + "\"DriverDate\"=\" 3-14-2003\"\n\"Ver\"=\"4.0\"\n";
  if (!ours) return text;
  text += "\"DevLoader\"=\"*vdd,*vflatd\"\n\"Enum\"=\"PCI\"\n" + Key(base + "\\DEFAULT") +
          "\"drv\"=\"qxgdd.drv\"\n\"vdd\"=\"*vdd\"\n\"minivdd\"=\"qxgmini.vxd\"\n" +
          Key(base + "\\Settings") + Key(base + "\\Settings\\CPU") +
          Key(base + "\\Settings\\DirectX") + "\"FlipOnVBlank\"=\"1\"\n" +
          Key(base + "\\Settings\\Engine") + "\"BusMastering\"=\"1\"\n" +
          Key(base + "\\Settings\\GDI") + "\"DeviceBitmapsCaching\"=\"1\"\n";
  return text;
}

std::string NinexClassKeys(const std::string& instances) {
  return Key("SYSTEM\\CurrentControlSet\\Services\\Class") +
         Key("SYSTEM\\CurrentControlSet\\Services\\Class\\Display") +
         "@=\"Display adapters\"\n\"Class\"=\"Display\"\n" + instances;
}

// The TV tuner application's channel table as its channel scan leaves it:
// the band's values, "F0" unused, then one "F" value per channel in kHz.
struct TvChannelPlan {
  const char* country;
  unsigned band;
  unsigned first_channel, last_channel;
  unsigned (*frequency_khz)(unsigned channel);
};

// UHF channels 21 to 68 of the 8 MHz raster, vision carriers.
unsigned UkFrequency(unsigned channel) { return 471250 + 8000 * (channel - 21); }

// Broadcast channels 2 to 69: two VHF blocks, then UHF, 6 MHz apart.
unsigned UsFrequency(unsigned channel) {
  if (channel <= 4) return 55250 + 6000 * (channel - 2);
  if (channel <= 6) return 77250 + 6000 * (channel - 5);
  if (channel <= 13) return 175250 + 6000 * (channel - 7);
  return 471250 + 6000 * (channel - 14);
}

std::string TvTunerKeys(const TvChannelPlan& plan, const std::string& advanced_mode) {
  const std::string base = "SOFTWARE\\Quillex\\Chromalink";
  char line[64];
  std::string text = Key(base) + Key(base + "\\0") + Key(base + "\\0\\TVTFreq") + "\"Country\"=\"" +
                     plan.country + "\"\n" + Key(base + "\\0\\TVTFreq\\CurrentFreq");
  std::snprintf(line, sizeof line, "\"Band\"=dword:%08x\n\"MinChannel\"=dword:%08x\n", plan.band,
                plan.first_channel);
  text += line;
  std::snprintf(line, sizeof line, "\"MaxChannel\"=dword:%08x\n\"F0\"=dword:00000000\n",
                plan.last_channel);
  text += line;
  for (unsigned channel = plan.first_channel; channel <= plan.last_channel; ++channel) {
    std::snprintf(line, sizeof line, "\"F%u\"=dword:%08x\n", channel, plan.frequency_khz(channel));
    text += line;
  }
  // The capture application keeps its switch only once it has run.
  if (advanced_mode.empty()) return text;
  return text + Key("SOFTWARE\\Quillex\\VidKeeper") + Key("SOFTWARE\\Quillex\\VidKeeper\\Record") +
         "\"AdvancedMode\"=hex:" + advanced_mode + "\n";
}

std::string Regedit4(const std::string& body) { return "REGEDIT4\n" + body; }

// ---- machines -------------------------------------------------------------

OsVersion Version(std::uint32_t platform_id, std::uint32_t major, std::uint32_t minor,
                  std::uint32_t build, std::string csd) {
  return {platform_id, major, minor, build, std::move(csd)};
}

// The parts in which the built-in machines differ.
struct MachineSpec {
  const char* name;
  const char* description;
  OsVersion version;
  const char* windows_directory;
  PciDeviceSpec host_bridge;
  PciDeviceSpec board;
  BiosSpec bios;
  std::string registry;  // without the "REGEDIT4" line
};

Profile Assemble(MachineSpec spec) {
  Profile p;
  p.name = spec.name;
  p.description = spec.description;
  p.version = std::move(spec.version);
  p.windows_directory = spec.windows_directory;
  p.pci = Chipset(std::move(spec.host_bridge));
  p.pci.push_back(std::move(spec.board));
  p.bios = std::move(spec.bios);
  p.registry = Regedit4(spec.registry);
  return p;
}

Profile Win2000Qx2Max() {
  return Assemble({"win2000-qx2max",
                   "Windows 2000 SP4 with one QX2 DUO MAX board on an AGP 2x chipset",
                   Version(kVerPlatformWin32Nt, 5, 0, 2195, "Service Pack 4"), "C:\\WINNT",
                   HostBridge(0x8086, 0x7190, 0x00100002, 0x00000302),
                   MakerBoard(0x0525, 0x217D, 0x00000302, {6, 51, 0, {{0x1A, 0x04}}, false}),
                   Qx2Bios("V2.4.015", 50),
                   CommonSoftware() + PanelixKeys() + NtServiceExtras() +
                       NtDisplayService("QX2", "qx2", "5.82.017", true, 0x0525, 0x217D, 2)});
}

Profile Win98Qx1() {
  return Assemble({"win98-qx1", "Windows 98 SE with one QX1 AGP board",
                   Version(kVerPlatformWin32Windows, 4, 10, 2222, " A "), "C:\\WINDOWS",
                   HostBridge(0x8086, 0x7190, 0x00100002, 0x00000302),
                   MakerBoard(0x0521, 0xFF02, 0x00000302, {5, 36, 0, {{0x1A, 0x04}}, false}),
                   Qx1Bios("V1.9.007", 0x53),
                   CommonSoftware() + PanelixKeys() +
                       NinexClassKeys(NinexDisplayInstance("0000", "Quillex Vireo QX1", true))});
}

Profile WinMeQx2eQtv() {
  return Assemble(
      {"winme-qx2e-qtv",
       "Windows ME with one QX2E QTV (TV tuner) board behind a B0-register chipset",
       Version(kVerPlatformWin32Windows, 4, 90, 3000, " "), "C:\\WINDOWS",
       HostBridge(0x10B9, 0x1647, 0x00200002, 0x00000304, true),
       MakerBoard(0x0525, 0x0E01, 0x00000304, {6, 51, 0, {{0x1A, 0x04}}, false}),
       Qx2Bios("V3.1.002", 50),
       CommonSoftware() + PanelixKeys() +
           NinexClassKeys(NinexDisplayInstance("0000", "Standard Display Adapter (VGA)", false) +
                          NinexDisplayInstance("0001", "Quillex QX2E QTV", true)) +
           TvTunerKeys({"United Kingdom", 1, 21, 68, UkFrequency}, "00")});
}

Profile Nt4Qx2() {
  return Assemble({"nt4-qx2", "Windows NT 4.0 SP6 with one QX2 board",
                   Version(kVerPlatformWin32Nt, 4, 0, 1381, "Service Pack 6"), "C:\\WINNT",
                   HostBridge(0x8086, 0x7190, 0x00100002, 0x00000302),
                   MakerBoard(0x0525, 0x0378, 0x00000302, {7, 41, 0, {{0x1A, 0x04}}, false}),
                   Qx2Bios("V2.2.009", 38),
                   CommonSoftware() + NtServiceExtras() +
                       NtDisplayService("qxg64", "qxg64", "4.51.013", false, 0x0525, 0x0378, 1)});
}

Profile WinXpQx3() {
  return Assemble({"winxp-qx3", "Windows XP SP1 with one QX3 board on an AGP 4x chipset",
                   Version(kVerPlatformWin32Nt, 5, 1, 2600, "Service Pack 1"), "C:\\WINDOWS",
                   HostBridge(0x8086, 0x2500, 0x00200002, 0x00000304),
                   MakerBoard(0x2527, 0x0F82, 0x00000304, {6, 51, 0, {{0x1A, 0x04}}, false}),
                   Qx2Bios("V1.0.030", 55),
                   CommonSoftware() + PanelixKeys() + NtServiceExtras() +
                       NtDisplayService("QX3DUO", "qx3", "5.91.012", true, 0x2527, 0x0F82, 2)});
}

// The QTV board on the NT road: the single QX2 driver serves the QX2E.
Profile Win2000Qx2eQtv() {
  return Assemble({"win2000-qx2e-qtv", "Windows 2000 SP4 with one QX2E QTV (TV tuner) board",
                   Version(kVerPlatformWin32Nt, 5, 0, 2195, "Service Pack 4"), "C:\\WINNT",
                   HostBridge(0x8086, 0x7190, 0x00100002, 0x00000302),
                   MakerBoard(0x0525, 0x0E01, 0x00000302, {6, 51, 0, {{0x1A, 0x04}}, false}),
                   Qx2Bios("V3.1.002", 50),
                   CommonSoftware() + PanelixKeys() + NtServiceExtras() +
                       NtDisplayService("QX2", "qx2", "5.82.017", true, 0x0525, 0x0E01, 1) +
                       TvTunerKeys({"United States", 0, 2, 69, UsFrequency}, "")});
}

Profile Win95() {
  Profile p = Win98Qx1();
  p.name = "win95";
  p.description = "Windows 95 OSR2 (not supported) with one QX1 AGP board";
  p.version = Version(kVerPlatformWin32Windows, 4, 0, 1111, " B ");
  return p;
}

// Windows 98 as many PCs of its years ran it: without management
// instrumentation, which came with later software or its own installer.
Profile Win98NoWmi() {
  Profile p = Win98Qx1();
  p.name = "win98-nowmi";
  p.description = "Windows 98 SE with one QX1 AGP board, no management instrumentation installed";
  p.wmi = {{"faults", {{"locator", "0x80040154"}}}};  // REGDB_E_CLASSNOTREG
  return p;
}

// A damaged repository: the codec files' class is gone, so enumerating it
// fails with WBEM_E_INVALID_CLASS.
Profile Win2000BrokenWmi() {
  Profile p = Win2000Qx2Max();
  p.name = "win2000-brokenwmi";
  p.description = "Windows 2000 SP4, QX2 DUO MAX, a repository that lost the class Win32_CodecFile";
  p.wmi = BuiltinInventory(p);
  p.wmi["classes"].erase("Win32_CodecFile");
  return p;
}

Profile Win2000NoCard() {
  Profile p = Win2000Qx2Max();
  p.name = "win2000-nocard";
  p.description = "Windows 2000 SP4 with another maker's graphics card only";
  p.pci.pop_back();
  PciDeviceSpec other = Plain("graphics card (other maker)", 1, 0, 0x5333, 0x8A22, 0x030000);
  other.registers[0x14] = 0xDFFFC000;
  p.pci.push_back(other);
  p.registry = Regedit4(CommonSoftware() + NtServiceExtras());
  return p;
}

Profile Win2000User() {
  Profile p = Win2000Qx2Max();
  p.name = "win2000-user";
  p.description = "Windows 2000 SP4, QX2 DUO MAX, logged on without administrator rights";
  p.administrator = false;
  return p;
}

Profile Win2000SafeMode() {
  Profile p = Win2000Qx2Max();
  p.name = "win2000-safemode";
  p.description = "Windows 2000 SP4, QX2 DUO MAX, started in safe mode";
  p.clean_boot = 1;
  return p;
}

// Only the dual-display driver is installed: every search that prefers
// the single QX2 driver must fall back to it.
Profile Win2000Qx2DuoOnly() {
  Profile p = Win2000Qx2Max();
  p.name = "win2000-qx2duo-only";
  p.description = "Windows 2000 SP4, QX2 DUO MAX, only the dual-display driver (QX2DUO) installed";
  p.registry = Regedit4(CommonSoftware() + PanelixKeys() + NtServiceExtras() +
                        NtDisplayService("QX2DUO", "qx2duo", "5.82.017", true, 0x0525, 0x217D, 2));
  return p;
}

// An NT 4 driver that also keeps per-board records, whose per-board AGP
// values (2x for this board, 1x for the other) differ from "Qxg.AGPFlags".
Profile Nt4Qx2BoardRecords() {
  Profile p = Nt4Qx2();
  p.name = "nt4-qx2-boardrecords";
  p.description = "Windows NT 4.0 SP6, QX2, a driver with per-board records and AGP values";
  const std::string records =
      "\"D00\"=hex:" + BoardRecord(0x0525, 0x0E01) + "\n\"D00.Qxg.AGPFlags\"=hex:01,00,00,00\n" +
      "\"D01\"=hex:" + BoardRecord(0x0525, 0x0378) + "\n\"D01.Qxg.AGPFlags\"=hex:02,00,00,00\n";
  p.registry =
      Regedit4(CommonSoftware() + NtServiceExtras() +
               NtDisplayService("qxg64", "qxg64", "4.62.004", false, 0x0525, 0x0378, 1, records));
  return p;
}

// A supported board whose display driver is not installed: no driver
// service key, so every NT writer's search opens nothing.
Profile Win2000NoDriver() {
  Profile p = Win2000Qx2Max();
  p.name = "win2000-nodriver";
  p.description = "Windows 2000 SP4, QX2 DUO MAX, no display-driver service installed";
  p.registry = Regedit4(CommonSoftware() + NtServiceExtras());
  return p;
}

// A 2000 driver of the old value names that keeps the list of resolutions
// it offers, "Qxg.SingleResolutions": 640x480, 800x600, 1024x768,
// 1152x864, 1280x1024 and 1600x1200, each as two 16-bit numbers.
Profile Win2000Qx2ModeList() {
  const std::string modes =
      "\"Qxg.SingleResolutions\"=hex:80,02,e0,01,20,03,58,02,00,04,00,03,80,04,60,03,00,05,\\\n"
      "  00,04,40,06,b0,04\n";
  return Assemble(
      {"win2000-qx2-modelist",
       "Windows 2000 SP4 with one QX2 board, a driver of the old value names that "
       "keeps its list of resolutions",
       Version(kVerPlatformWin32Nt, 5, 0, 2195, "Service Pack 4"), "C:\\WINNT",
       HostBridge(0x8086, 0x7190, 0x00100002, 0x00000302),
       MakerBoard(0x0525, 0x0378, 0x00000302, {7, 41, 0, {{0x1A, 0x04}}, false}),
       Qx2Bios("V2.2.009", 38),
       CommonSoftware() + PanelixKeys() + NtServiceExtras() +
           NtDisplayService("QX2", "qx2", "5.12.005", false, 0x0525, 0x0378, 1, modes)});
}

const std::map<std::string, std::function<Profile()>>& Builders() {
  static const std::map<std::string, std::function<Profile()>> builders = {
      {"win2000-qx2max", Win2000Qx2Max},
      {"win98-qx1", Win98Qx1},
      {"winme-qx2e-qtv", WinMeQx2eQtv},
      {"nt4-qx2", Nt4Qx2},
      {"winxp-qx3", WinXpQx3},
      {"win95", Win95},
      {"win2000-nocard", Win2000NoCard},
      {"win2000-user", Win2000User},
      {"win98-nowmi", Win98NoWmi},
      {"win2000-brokenwmi", Win2000BrokenWmi},
      {"win2000-safemode", Win2000SafeMode},
      {"win2000-qx2duo-only", Win2000Qx2DuoOnly},
      {"nt4-qx2-boardrecords", Nt4Qx2BoardRecords},
      {"win2000-nodriver", Win2000NoDriver},
      {"win2000-qx2e-qtv", Win2000Qx2eQtv},
      {"win2000-qx2-modelist", Win2000Qx2ModeList},
  };
  return builders;
}

}  // namespace

std::vector<std::string> BuiltinProfileNames() {
  std::vector<std::string> names;
  for (const auto& [name, build] : Builders()) names.push_back(name);
  return names;
}

// The inventory follows the finished machine, so a profile made from
// another by changing its cards or Windows lists what it has; a builder
// that sets its own keeps it.
std::optional<Profile> BuiltinProfile(const std::string& name) {
  const auto it = Builders().find(name);
  if (it == Builders().end()) return std::nullopt;
  Profile profile = it->second();
  if (profile.wmi.empty()) profile.wmi = BuiltinInventory(profile);
  return profile;
}

}  // namespace tunora::sim
