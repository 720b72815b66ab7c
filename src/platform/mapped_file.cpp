// mmap-based read-only file view.
#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_utils.h"

namespace kst {

TMappedFile::TMappedFile(const std::string& path) : fileName_(path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFileError("Cannot open file \"" + path + "\". " + std::strerror(errno));
  struct stat st;
  int statted = ::fstat(fd, &st);
  // errno tells only about a failed fstat; a directory or device opens fine.
  int err = statted != 0 ? errno : 0;
  if (statted != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EFileError("Cannot open file \"" + path + "\". " + (err ? std::strerror(err) : "Not a regular file"));
  }
  size_ = static_cast<size_t>(st.st_size);
  if (size_ > 0) {
    void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      int err = errno;
      ::close(fd);
      throw EFileError("Cannot map file \"" + path + "\". " + std::strerror(err));
    }
    data_ = static_cast<const uint8_t*>(p);
  }
  ::close(fd);
}

TMappedFile::~TMappedFile() {
  if (data_) ::munmap(const_cast<uint8_t*>(data_), size_);
}

}  // namespace kst
