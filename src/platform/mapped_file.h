// A read-only memory mapping of a whole file, for reading compiled modules
// without copying them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kst {

class TMappedFile {
public:
  // Maps the file; raises EFileError when it cannot be opened or mapped. An
  // empty file gives an empty view.
  explicit TMappedFile(const std::string& path);
  ~TMappedFile();
  TMappedFile(const TMappedFile&) = delete;
  TMappedFile& operator=(const TMappedFile&) = delete;

  std::span<const uint8_t> View() const { return {data_, size_}; }
  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }
  const std::string& FileName() const { return fileName_; }

private:
  std::string fileName_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace kst
