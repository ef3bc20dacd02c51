// The registry port over a simulated hive. Handles, access masks and result
// codes follow RegOpenKeyEx & co.: an administrator may do anything, any
// other user may only read. With a file, every change saves the whole hive
// atomically (see hive_file.h); SaveBatch folds many changes into one save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "sim/os/hive.h"
#include "sim/os/hive_file.h"

namespace tunora::sim {

class SimRegistry : public Registry {
 public:
  SimRegistry(Hive hive, bool administrator,
              std::optional<std::filesystem::path> file = std::nullopt);
  SimRegistry(const SimRegistry&) = delete;
  SimRegistry& operator=(const SimRegistry&) = delete;

  std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                       RegKey* out) override;
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override;
  std::int32_t EnumKey(RegKey key, std::uint32_t index, std::string* name,
                       std::uint32_t buffer_chars = 260) override;
  std::int32_t EnumValue(RegKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                         std::string* data) override;
  std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t DeleteValue(RegKey key, std::string_view name) override;
  std::int32_t DeleteKey(RegKey parent, std::string_view path) override;
  std::int32_t CloseKey(RegKey key) override;
  // Saves the hive now, also inside a change group: every save is durable
  // (written, flushed to disk, renamed into place).
  std::int32_t FlushKey(RegKey key) override;
  // Change groups of the program save like a SaveBatch.
  void BeginChanges() override;
  void EndChanges() override;

  // Direct access for the simulator and tests. After editing the hive this
  // way call NoteChange() so the file follows; replacing or removing keys
  // makes handles to them report kErrorKeyDeleted.
  Hive& hive() { return hive_; }
  const Hive& hive() const { return hive_; }
  bool administrator() const { return administrator_; }
  void set_administrator(bool administrator) { administrator_ = administrator; }
  const std::optional<std::filesystem::path>& file() const { return file_; }

  // Saves now, or at the end of the outermost SaveBatch. Returns false
  // when the file could not be written (the hive stays changed in memory
  // and the next save tries again).
  bool NoteChange();
  // Saves what is still only in memory (a group whose closing save
  // failed); false when it still cannot be written. The host calls it at
  // the end of every program run, so no change is lost without a word.
  bool SavePending();
  std::uint64_t save_count() const { return save_count_; }
  std::uint64_t flush_count() const { return flush_count_; }
  std::size_t open_handle_count() const { return handles_.size(); }

  // Defers saving until the outermost batch ends, then saves once if
  // anything changed.
  class SaveBatch {
   public:
    explicit SaveBatch(SimRegistry& registry);
    ~SaveBatch();
    SaveBatch(const SaveBatch&) = delete;
    SaveBatch& operator=(const SaveBatch&) = delete;

   private:
    SimRegistry& registry_;
  };

 private:
  struct Handle {
    std::weak_ptr<HiveKey> key;
    std::uint32_t access = 0;
  };
  // A handle resolved for one call: the key, or the error to return.
  struct Resolved {
    std::int32_t error = kErrorSuccess;
    HiveKey* key = nullptr;
  };

  // `path` below `parent` followed as far as its keys exist: the deepest
  // existing key and how many of the path's parts it took.
  struct Walk {
    std::int32_t error = kErrorSuccess;
    HiveKey* key = nullptr;
    std::vector<std::string_view> parts;
    std::size_t existing = 0;
  };

  Resolved Resolve(RegKey key, std::uint32_t needed_access);
  Walk WalkPath(RegKey parent, std::string_view path);
  std::uint32_t GrantedAccess(std::uint32_t requested) const;
  std::int32_t CheckRequest(std::uint32_t requested) const;
  RegKey AddHandle(HiveKey& key, std::uint32_t access);
  std::int32_t Changed();
  bool SaveNow();

  Hive hive_;
  bool administrator_;
  std::optional<std::filesystem::path> file_;
  std::map<RegKey, Handle> handles_;
  RegKey next_handle_ = 0x100;
  int batch_depth_ = 0;
  bool dirty_ = false;
  std::uint64_t save_count_ = 0;
  std::uint64_t flush_count_ = 0;
};

}  // namespace tunora::sim
