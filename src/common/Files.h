#pragma once
// Whole-file reading and checked writing over C stdio: every error is seen,
// and the program carries no stream library for it.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace cdflash {

// A whole file as read, or why it could not be.
struct FileBytes {
  enum class Status { Read, NotOpened, ReadError };
  Status status = Status::NotOpened;
  std::vector<std::uint8_t> bytes;  // at most limit + 1: one more tells it is too long
};

// Reads `path` to its end (also a pipe or a file that changes meanwhile:
// what was read is what is used), stopping after limit + 1 bytes.
FileBytes ReadFileBytes(const std::string& path, std::size_t limit);

// A file being written; Close() tells whether every byte reached it.
class OutputFile {
 public:
  // Replace: creates or truncates `path`. CreateNew: creates it only where
  // no file of that name exists, so nothing is ever written over.
  enum class Mode { Replace, CreateNew };
  // IsOpen() tells whether it could; Existed() that CreateNew found the name taken.
  explicit OutputFile(const std::string& path, Mode mode = Mode::Replace);
  bool IsOpen() const { return file_ != nullptr; }
  bool Existed() const { return existed_; }
  void Write(const std::uint8_t* data, std::size_t length);
  // True when every write and the close succeeded.
  bool Close();

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> owner_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
  bool existed_ = false;
};

}  // namespace cdflash
