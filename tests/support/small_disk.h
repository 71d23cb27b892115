#pragma once
// A real, small file system for the tests of what happens when a disk fills
// up: a tmpfs of a given size mounted on a fresh folder. Mounting needs root
// (CI runs as root); elsewhere the test is skipped with the reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#ifdef __linux__
#include <sys/mount.h>
#endif

namespace vellumark::testsupport {

class SmallDisk {
 public:
  // Mounts a tmpfs of `size` ("3m", "400k") on `folder`, creating it.
  SmallDisk(const std::filesystem::path& folder, const std::string& size) : folder_(folder) {
    std::filesystem::create_directories(folder_);
#ifdef __linux__
    const std::string options = "size=" + size + ",mode=0777";
    mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", 0, options.c_str()) == 0;
#endif
  }

  ~SmallDisk() {
#ifdef __linux__
    // Detached, so a file a failed test left open cannot keep the mount.
    if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
#endif
  }

  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool mounted() const { return mounted_; }
  const std::filesystem::path& path() const { return folder_; }

  // Fills the disk up to about `leave` bytes: a filler file grows until a
  // write fails, then gives back what the test wants free.
  void FillLeaving(std::size_t leave) {
    const auto filler = folder_ / "filler";
    {
      std::ofstream out(filler, std::ios::binary);
      const std::string block(4096, 'f');
      // Bounded by the disk's size: a tmpfs refuses the write once full.
      for (int i = 0; i < (1 << 20) && out; ++i) out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(filler, ec);
    if (!ec) std::filesystem::resize_file(filler, size > leave ? size - leave : 0, ec);
  }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
};

}  // namespace vellumark::testsupport

// Skips the running test when `disk` could not be mounted.
#define VELLUMARK_REQUIRE_SMALL_DISK(disk)                                                         \
  do {                                                                                             \
    if (!(disk).mounted()) GTEST_SKIP() << "needs root to mount a small tmpfs for a full disk"; \
  } while (false)
