#include "common/Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace cdflash {
namespace {

// What is read at a time once the expected end has been passed.
constexpr std::size_t kChunk = 64 * 1024;

// The length of the file behind `in` as far as a seek tells, 0 when it cannot
// (a pipe, a device, a file of the kernel's). Only a first guess: the read
// still goes on to the real end. False when the stream could not be brought
// back to its start.
bool GuessLength(std::FILE* in, std::size_t& length) {
  length = 0;
  if (std::fseek(in, 0, SEEK_END) != 0) return true;  // not seekable: nothing moved
  const long end = std::ftell(in);
  if (end > 0) length = static_cast<std::size_t>(end);
  return std::fseek(in, 0, SEEK_SET) == 0;
}

}  // namespace

FileBytes ReadFileBytes(const std::string& path, std::size_t limit) {
  FileBytes file;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!in) return file;
  std::size_t guess = 0;
  if (!GuessLength(in.get(), guess)) {
    file.status = FileBytes::Status::ReadError;
    return file;
  }
  // The whole file in one read into a buffer of its size: growing the buffer
  // chunk by chunk would fill and copy the bytes again at every step. One byte
  // more than expected shows at once whether the file has grown since.
  std::size_t want = std::min(guess, limit) + 1;
  while (file.bytes.size() <= limit) {
    const std::size_t at = file.bytes.size();
    want = std::min(want, limit + 1 - at);
    file.bytes.resize(at + want);
    const std::size_t got = std::fread(file.bytes.data() + at, 1, want, in.get());
    file.bytes.resize(at + got);
    if (std::ferror(in.get())) {
      file.status = FileBytes::Status::ReadError;
      return file;
    }
    if (got < want) break;  // the end of the file
    want = kChunk;
  }
  file.status = FileBytes::Status::Read;
  return file;
}

namespace {

// The stream of a file created only when its name is free; null with
// `existed` set when it was taken.
std::FILE* CreateNewFile(const std::string& path, bool& existed) {
#ifdef _WIN32
  const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
  if (fd < 0) {
    existed = errno == EEXIST;
    return nullptr;
  }
#ifdef _WIN32
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) _close(fd);
#else
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
#endif
  return file;
}

}  // namespace

OutputFile::OutputFile(const std::string& path, Mode mode) {
  owner_.reset(mode == Mode::Replace ? std::fopen(path.c_str(), "wb") : CreateNewFile(path, existed_));
  file_ = owner_.get();
}

void OutputFile::Write(const std::uint8_t* data, std::size_t length) {
  if (file_ == nullptr || length == 0) return;
  if (std::fwrite(data, 1, length, file_) != length) failed_ = true;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
  file_ = nullptr;
  const bool closed = std::fclose(owner_.release()) == 0;
  return !failed_ && flushed && closed;
}

}  // namespace cdflash
