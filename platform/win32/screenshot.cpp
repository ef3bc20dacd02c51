#include "platform/win32/screenshot.h"

#include <cstdio>

namespace tunora::win32 {
namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void ScreenshotRequest::Begin(const std::string& path) {
  End();
  if (path.empty()) return;
  if (std::FILE* file = std::fopen((path + ".request").c_str(), "wb")) {
    std::fclose(file);
    path_ = path;
    started_ = GetTickCount();
  }
}

bool ScreenshotRequest::Waiting() const {
  return !path_.empty() && !Exists(path_) && GetTickCount() - started_ < kScreenshotWaitMs;
}

void ScreenshotRequest::End() {
  if (path_.empty()) return;
  DeleteFileA((path_ + ".request").c_str());
  path_.clear();
}

}  // namespace tunora::win32
