// Anonymous shared memory that a display server can map too: the pixels of shared buffers.
#pragma once

#include <cstddef>

namespace rt {

class SharedMemory {
 public:
  // `size` bytes, zeroed. Throws PlatformError when the memory cannot be had.
  explicit SharedMemory(std::size_t size);
  ~SharedMemory();
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  // A descriptor to hand to the display server; stays ours.
  int fd() const { return fd_; }
  void* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  int fd_ = -1;
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace rt
