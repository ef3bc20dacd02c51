// A registry in front of an honest one whose value reads succeed but
// report more bytes than the caller's buffer holds, as a broken registry
// filter could. The buffer itself receives only what the honest registry
// wrote.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "tests/support/forwarding_registry.h"

namespace tunora::testing {

class MisbehavingRegistry : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;

  // Added to the buffer size a successful read reports; saturates.
  std::uint32_t overstatement = 0;

  std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override {
    const std::uint32_t capacity = *size;
    const std::int32_t result = ForwardingRegistry::QueryValue(key, name, type, data, size);
    if (result == kErrorSuccess && data != nullptr) {
      constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
      *size = overstatement > kMax - capacity ? kMax : capacity + overstatement;
    }
    return result;
  }
};

}  // namespace tunora::testing
