// The host reader over a small fake /sys and /proc: what it maps where,
// what it skips, and what missing or malformed files become.
#include "sim/machine/host_inventory.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

void Put(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

const json& Instances(const json& wmi, const char* wmi_class) { return wmi["classes"][wmi_class]; }

TEST(HostInventory, MapsTheComputersFilesOntoTheClasses) {
  TempDir root;
  const fs::path r = root.path();
  const fs::path dmi = r / "sys/class/dmi/id";
  Put(dmi / "bios_vendor", "Acme Firmware\n");
  Put(dmi / "bios_version", "  1.07 \n");
  Put(dmi / "bios_date", "03/14/2019\n");
  Put(dmi / "board_vendor", "Board Maker\n");
  Put(dmi / "board_name", "BX-1\n");
  Put(dmi / "sys_vendor", "System Maker\n");
  Put(dmi / "product_name", "Desk 9\n");
  const std::string cpu =
      "vendor_id\t: GenuineTest\ncpu family\t: 6\nmodel\t\t: 58\nmodel name\t: Test CPU @ "
      "3.40GHz\nstepping\t: 9\ncpu MHz\t\t: 3392.614\n";
  Put(r / "proc/cpuinfo", "processor\t: 0\n" + cpu + "\nprocessor\t: 1\n" + cpu + "\n");
  Put(r / "proc/meminfo", "MemTotal:        8048564 kB\nMemFree:  1 kB\n");
  Put(r / "proc/sys/kernel/hostname", "devbox.example\n");
  Put(r / "sys/block/sda/size", "976773168\n");
  Put(r / "sys/block/sda/removable", "0\n");
  Put(r / "sys/block/sda/device/model", "Test Disk 500\n");
  fs::create_directories(r / "sys/block/sda/sda1");
  fs::create_directories(r / "sys/block/sda/sda2");
  Put(r / "sys/block/loop0/size", "100\n");
  fs::create_directories(r / "sys/block/loop0/device");
  Put(r / "sys/block/sr0/device/model", "Test DVD\n");
  Put(r / "sys/block/sr0/device/rev", "1.02\n");
  const fs::path nic = r / "sys/bus/pci/devices/0000:00:19.0";
  Put(nic / "vendor", "0x8086\n");
  Put(nic / "device", "0x1503\n");
  Put(nic / "subsystem_vendor", "0x1043\n");
  Put(nic / "subsystem_device", "0x849c\n");
  Put(nic / "revision", "0x04\n");
  Put(nic / "class", "0x020000\n");
  Put(nic / "irq", "20\n");
  Put(nic / "resource",
      "0x00000000f7d00000 0x00000000f7d1ffff 0x0000000000040200\n"
      "0x000000000000f080 0x000000000000f09f 0x0000000000040101\n"
      "0x0000000000000000 0x0000000000000000 0x0000000000000000\n");
  Put(r / "sys/bus/pci/devices/0000:00:1a.0/device", "0x1e2d\n");  // no vendor: skipped
  Put(r / "sys/bus/pci/devices/junk/vendor", "0x8086\n");
  Put(r / "sys/class/net/eth0/address", "4c:ed:fb:01:02:03\n");
  Put(r / "sys/class/net/eth0/type", "1\n");
  Put(r / "sys/class/net/eth0/speed", "1000\n");
  fs::create_directory_symlink("../../../bus/pci/devices/0000:00:19.0",
                               r / "sys/class/net/eth0/device");
  Put(r / "sys/class/net/lo/address", "00:00:00:00:00:00\n");

  const json wmi = sim::HostInventory(r, Builtin("win2000-qx2max"));
  const std::string nic_id = "PCI\\VEN_8086&DEV_1503&SUBSYS_849C1043&REV_04\\3&61AAA01&0&C8";
  struct Expect {
    const char* wmi_class;
    std::size_t index;
    const char* property;
    json value;
  } expects[] = {
      {"Win32_BIOS", 0, "Manufacturer", "Acme Firmware"},
      {"Win32_BIOS", 0, "Version", "1.07"},
      {"Win32_BIOS", 0, "ReleaseDate", "20190314000000.000000+000"},
      {"Win32_BaseBoard", 0, "Product", "BX-1"},
      {"Win32_BaseBoard", 0, "Version", nullptr},
      {"Win32_ComputerSystem", 0, "Caption", "DEVBOX"},
      {"Win32_ComputerSystem", 0, "Manufacturer", "System Maker"},
      {"Win32_ComputerSystem", 0, "Model", "Desk 9"},
      {"Win32_ComputerSystem", 0, "NumberOfProcessors", 2},
      {"Win32_ComputerSystem", 0, "TotalPhysicalMemory", "8241729536"},
      {"Win32_Processor", 1, "DeviceID", "CPU1"},
      {"Win32_Processor", 0, "Caption", "x86 Family 6 Model 58 Stepping 9"},
      {"Win32_Processor", 0, "Manufacturer", "GenuineTest"},
      {"Win32_Processor", 0, "CurrentClockSpeed", 3393},
      {"Win32_Processor", 0, "Architecture", 0},
      {"Win32_Processor", 0, "Revision", 58 * 256 + 9},
      {"Win32_DiskDrive", 0, "Model", "Test Disk 500"},
      {"Win32_DiskDrive", 0, "Size", "500107862016"},
      {"Win32_DiskDrive", 0, "Partitions", 2},
      {"Win32_DiskDrive", 0, "InterfaceType", "SCSI"},
      {"Win32_CDROMDrive", 0, "Caption", "Test DVD"},
      {"Win32_CDROMDrive", 0, "RevisionLevel", "1.02"},
      {"Win32_PnPEntity", 0, "DeviceID", nic_id},
      {"Win32_PnPEntity", 0, "Description", "Ethernet Controller"},
      {"Win32_PNPAllocatedResource", 0, "Antecedent",
       "\\\\DEVBOX\\root\\cimv2:Win32_IRQResource.IRQNumber=20"},
      {"Win32_PNPAllocatedResource", 1, "Antecedent",
       "\\\\DEVBOX\\root\\cimv2:Win32_DeviceMemoryAddress.StartingAddress=\"4157603840\""},
      {"Win32_PNPAllocatedResource", 2, "Antecedent",
       "\\\\DEVBOX\\root\\cimv2:Win32_PortResource.StartingAddress=\"61568\""},
      {"Win32_PNPAllocatedResource", 2, "Dependent",
       "\\\\DEVBOX\\root\\cimv2:Win32_PnPEntity.DeviceID=\"PCI\\\\VEN_8086&DEV_1503&SUBSYS_"
       "849C1043&REV_04\\\\3&61AAA01&0&C8\""},
      {"Win32_NetworkAdapter", 0, "Caption", "[00000000] Ethernet Controller"},
      {"Win32_NetworkAdapter", 0, "MACAddress", "4C:ED:FB:01:02:03"},
      {"Win32_NetworkAdapter", 0, "NetConnectionID", "eth0"},
      {"Win32_NetworkAdapter", 0, "PNPDeviceID", nic_id},
      {"Win32_NetworkAdapter", 0, "AdapterType", "Ethernet 802.3"},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(std::string(e.wmi_class) + "." + e.property);
    const json& instances = Instances(wmi, e.wmi_class);
    ASSERT_GT(instances.size(), e.index);
    EXPECT_EQ(instances[e.index].value(e.property, json("absent")), e.value);
  }
  const std::pair<const char*, std::size_t> counts[] = {
      {"Win32_PnPEntity", 1},      {"Win32_PNPAllocatedResource", 3}, {"Win32_DiskDrive", 1},
      {"Win32_NetworkAdapter", 1}, {"Win32_PhysicalMemory", 0},       {"Win32_Keyboard", 0},
      {"Win32_USBController", 0},  {"Win32_OperatingSystem", 1},      {"Win32_CodecFile", 3}};
  for (const auto& [wmi_class, count] : counts) {
    EXPECT_EQ(Instances(wmi, wmi_class).size(), count) << wmi_class;
  }
  EXPECT_EQ(Instances(wmi, "Win32_OperatingSystem")[0]["Caption"], "Windows 2000 Professional");
  EXPECT_NO_THROW(sim::WmiRepositoryFromJson(wmi));
}

TEST(HostInventory, NothingReadGivesNoInstancesAndMalformedFilesNull) {
  TempDir root;
  const fs::path r = root.path();
  sim::Profile profile = Builtin("win98-nowmi");
  json wmi = sim::HostInventory(r, profile);
  EXPECT_EQ(wmi["faults"], profile.wmi["faults"]);  // the profile's switches stay
  EXPECT_EQ(wmi["namespace"], "\\\\.\\root\\cimv2");
  for (const char* wmi_class : {"Win32_BIOS", "Win32_ComputerSystem", "Win32_Processor",
                                "Win32_PnPEntity", "Win32_DiskDrive", "Win32_OperatingSystem"}) {
    EXPECT_TRUE(Instances(wmi, wmi_class).empty()) << wmi_class;
  }

  Put(r / "sys/class/dmi/id/bios_date", "someday\n");
  Put(r / "sys/class/dmi/id/bios_vendor", std::string(100000, 'x'));
  Put(r / "proc/cpuinfo", "processor : 0\ncpu MHz : fast\nmodel name : \x01\x02\n");
  Put(r / "proc/meminfo", "MemTotal: lots\n");
  Put(r / "sys/bus/pci/devices/0000:00:02.0/vendor", "0x8086\n");
  Put(r / "sys/bus/pci/devices/0000:00:02.0/device", "0x0166\n");
  Put(r / "sys/bus/pci/devices/0000:00:02.0/class", "0x030000\n");
  Put(r / "sys/bus/pci/devices/0000:00:02.0/irq", "x\n");
  Put(r / "sys/bus/pci/devices/0000:00:02.0/resource", "garbage\n\n0x10 0x1f\n");
  wmi = sim::HostInventory(r, profile);
  const json& bios = Instances(wmi, "Win32_BIOS").at(0);
  EXPECT_EQ(bios["ReleaseDate"], nullptr);
  EXPECT_EQ(bios["Manufacturer"].get<std::string>().size(), 4096u);
  const json& cpu = Instances(wmi, "Win32_Processor").at(0);
  EXPECT_EQ(cpu["CurrentClockSpeed"], nullptr);
  EXPECT_EQ(cpu["Name"], nullptr);
  EXPECT_EQ(cpu["Architecture"], nullptr);
  EXPECT_EQ(Instances(wmi, "Win32_ComputerSystem").at(0)["TotalPhysicalMemory"], nullptr);
  EXPECT_EQ(Instances(wmi, "Win32_PnPEntity").at(0)["DeviceID"],
            "PCI\\VEN_8086&DEV_0166&SUBSYS_00000000&REV_00\\BUS_00&DEV_02&FUNC_00");
  EXPECT_TRUE(Instances(wmi, "Win32_PNPAllocatedResource").empty());
  EXPECT_EQ(Instances(wmi, "Win32_VideoConfiguration").size(), 1u);
  EXPECT_NO_THROW(sim::WmiRepositoryFromJson(wmi));
}

}  // namespace
}  // namespace tunora::testing
