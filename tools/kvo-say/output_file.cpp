#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kvosay {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

std::string Reason(const std::string& path, int error_number) {
  return "cannot write " + path + ": " + std::strerror(error_number);
}

}  // namespace

OutputFile::~OutputFile() { Abandon(); }

bool OutputFile::Check(const std::string& path, std::string& error) {
  path_ = path;
  if (path == "-") {
    kind_ = Kind::kStdout;
    return true;
  }
  struct stat link_info;
  if (lstat(path.c_str(), &link_info) != 0) {
    if (errno != ENOENT) {
      error = Reason(path, errno);
      return false;
    }
    kind_ = Kind::kReplace;  // a new file
    return true;
  }
  struct stat info = link_info;
  const bool symlink = S_ISLNK(link_info.st_mode);
  if (symlink && stat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) {
      error = Reason(path, errno);
      return false;
    }
    kind_ = Kind::kInPlace;  // a dangling link: its target is created at the end
    return true;
  }
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) || S_ISFIFO(info.st_mode)) {
    kind_ = Kind::kStream;
    return true;
  }
  if (S_ISDIR(info.st_mode)) {
    error = Reason(path, EISDIR);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = path + " is not a regular file, a device or a FIFO; kvo-say does not replace it";
    return false;
  }
  // Refuse a file the user may not write, rather than replace it.
  if (access(path.c_str(), W_OK) != 0) {
    error = Reason(path, errno);
    return false;
  }
  if (symlink || info.st_nlink > 1) {
    kind_ = Kind::kInPlace;
  } else {
    kind_ = Kind::kReplace;
    keep_mode_ = true;
    mode_ = info.st_mode & 0777;
    uid_ = info.st_uid;
    gid_ = info.st_gid;
  }
  return true;
}

bool OutputFile::Open(std::string& error) {
  errno_ = 0;
  switch (kind_) {
    case Kind::kNone:
      error = "no output";
      return false;
    case Kind::kStdout:
      fd_ = STDOUT_FILENO;
      return true;
    case Kind::kStream: {
      fd_ = open(path_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
      if (fd_ < 0) {
        error = Reason(path_, errno);
        return false;
      }
      struct stat info;
      seekable_ = fstat(fd_, &info) == 0 && S_ISBLK(info.st_mode);
      return true;
    }
    case Kind::kReplace:
      if (OpenScratchBeside()) return true;
      // A folder that takes no new file still lets an existing file be rewritten.
      if (!keep_mode_) {
        error = Reason(path_, errno);
        return false;
      }
      kind_ = Kind::kInPlace;
      [[fallthrough]];
    case Kind::kInPlace:
      if (OpenAnonymousScratch()) return true;
      error = Reason(path_, errno);
      return false;
  }
  return false;
}

bool OutputFile::OpenScratchBeside() {
  std::vector<char> name(path_.begin(), path_.end());
  const char suffix[] = ".partial-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  scratch_ = name.data();
  fd_ = fd;
  seekable_ = true;
  if (keep_mode_) {
    // The replacement keeps the owner where allowed, and the mode.
    if (fchown(fd, uid_, gid_) != 0) {
      // Another user's file becomes this user's; the mode still holds.
    }
    fchmod(fd, mode_);
  } else {
    // mkostemp makes the file private; a new file gets the usual mode.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
  return true;
}

bool OutputFile::OpenAnonymousScratch() {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder != nullptr && folder[0] != '\0' ? folder : "/tmp") + "/kvo-say-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  unlink(name.data());  // nameless: nothing stays behind, whatever happens
  fd_ = fd;
  seekable_ = true;
  return true;
}

bool OutputFile::Fail(int error_number) {
  if (errno_ == 0) errno_ = error_number;
  return false;
}

bool OutputFile::Write(const void* data, size_t size) {
  if (errno_ != 0 || fd_ < 0) return Fail(EBADF);
  if (!WriteAll(fd_, static_cast<const char*>(data), size)) return Fail(errno);
  return true;
}

bool OutputFile::Rewrite(const std::string& bytes) {
  if (errno_ != 0 || fd_ < 0) return Fail(EBADF);
  if (!seekable_) return true;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n == 0 ? EIO : errno);
    done += static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::CopyScratchInto(std::string& error) {
  // Follows a symbolic link (and creates the target of a dangling one);
  // every hard link sees the new content.
  const int target = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, 0666);
  if (target < 0) {
    error = Reason(path_, errno);
    return false;
  }
  int failure = lseek(fd_, 0, SEEK_SET) == 0 ? 0 : errno;
  char buffer[65536];
  while (failure == 0) {
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failure = errno;
    if (n <= 0) break;
    if (!WriteAll(target, buffer, static_cast<size_t>(n))) failure = errno;
  }
  if (close(target) != 0 && failure == 0) failure = errno;
  if (failure != 0) error = Reason(path_, failure);
  const bool ok = failure == 0;
  return ok;
}

bool OutputFile::Commit(std::string& error) {
  if (errno_ != 0) {
    error = WriteError();
    return false;
  }
  bool ok = true;
  switch (kind_) {
    case Kind::kNone:
      error = "no output";
      return false;
    case Kind::kStdout:
      return true;
    case Kind::kStream:
      // A device may report a failed write only here.
      if (close(fd_) != 0) {
        error = Reason(path_, errno);
        ok = false;
      }
      fd_ = -1;
      return ok;
    case Kind::kReplace:
      if (close(fd_) != 0 || rename(scratch_.c_str(), path_.c_str()) != 0) {
        error = Reason(path_, errno);
        ok = false;
      } else {
        scratch_.clear();
      }
      fd_ = -1;
      return ok;
    case Kind::kInPlace:
      ok = CopyScratchInto(error);
      close(fd_);
      fd_ = -1;
      return ok;
  }
  return false;
}

void OutputFile::Abandon() {
  if (fd_ >= 0 && kind_ != Kind::kStdout) close(fd_);
  fd_ = -1;
  if (!scratch_.empty()) std::remove(scratch_.c_str());
  scratch_.clear();
}

std::string OutputFile::WriteError() const {
  return Reason(kind_ == Kind::kStdout ? std::string("standard output") : path_, errno_ != 0 ? errno_ : EIO);
}

}  // namespace kvosay
