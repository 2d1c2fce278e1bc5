#include "runtime/native/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "runtime/backend.h"
#include "runtime/native/error_text.h"

namespace rt {

namespace {

[[noreturn]] void Fail(const char* what, int error) {
  throw PlatformError(std::string("cannot share pixels with the display: ") + what + ": " +
                      ErrorText(error));
}

}  // namespace

SharedMemory::SharedMemory(std::size_t size) : size_(size) {
  fd_ = memfd_create("tarvel-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd_ < 0) {
    Fail("memfd_create", errno);
  }
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    const int error = errno;
    close(fd_);
    Fail("ftruncate", error);
  }
  // The server may map it, but nobody may shrink it under us.
  fcntl(fd_, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_SEAL);
  data_ = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
  if (data_ == MAP_FAILED) {
    const int error = errno;
    close(fd_);
    Fail("mmap", error);
  }
}

SharedMemory::~SharedMemory() {
  munmap(data_, size_);
  close(fd_);
}

}  // namespace rt
