#include "image/output_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/error.h"

namespace vr {

namespace {

[[noreturn]] void fail(const OutputTarget &target, const std::string &why) {
  throw OutputError("cannot write '" + target.name + "': " + why);
}

[[noreturn]] void fail_errno(const OutputTarget &target, int error) {
  fail(target, std::strerror(error));
}

std::string folder_of(const std::string &path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  return path.substr(0, slash + 1);
}

// A new name beside the final one, created here and nowhere else (O_EXCL).
// The mode is the usual 0666 less the umask, as for any new file.
int create_partial(const OutputTarget &target, std::string *partial) {
  for (int attempt = 0;; ++attempt) {
    *partial =
        target.resolved + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
    int fd = open(partial->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST || attempt == 100) fail_errno(target, errno);
  }
}

// 0, or the errno of the first write that failed.
int write_all(int fd, const std::vector<unsigned char> &bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    done += static_cast<size_t>(n);
  }
  return 0;
}

void write_stream(const OutputTarget &target, const std::vector<unsigned char> &bytes) {
  int fd = open(target.resolved.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) fail_errno(target, errno);
  int error = write_all(fd, bytes);
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) fail_errno(target, error);
}

void write_file(const OutputTarget &target, const std::vector<unsigned char> &bytes) {
  std::string partial;
  int fd = create_partial(target, &partial);
  int error = write_all(fd, bytes);
  // Space a file system only claims when the data reaches the disk (delayed
  // allocation, network file systems) fails here rather than after the rename.
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && std::rename(partial.c_str(), target.resolved.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(partial.c_str());
    fail_errno(target, error);
  }
}

} // namespace

OutputTarget resolve_output(const std::string &name) {
  OutputTarget target{name, name, OutputKind::File};
  struct stat st {};
  if (stat(name.c_str(), &st) == 0) {
    // A device or pipe is opened by the name given: the kernel follows its
    // links, /proc/self/fd/1 included, which name no path of their own.
    if (S_ISDIR(st.st_mode))
      target.kind = OutputKind::Folder;
    else if (!S_ISREG(st.st_mode))
      target.kind = OutputKind::Stream;
    else if (char *real = realpath(name.c_str(), nullptr)) {
      target.resolved = real;
      std::free(real);
    } else {
      fail_errno(target, errno);
    }
    return target;
  }
  // Nothing there yet, or a link to a name not there yet: each link is read
  // by hand, so that the new file is made where the last one points. The
  // kernel's own limit on links in a row is 40.
  for (int hops = 0;; ++hops) {
    if (lstat(target.resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    if (hops == 40) fail_errno(target, ELOOP);
    std::string link(PATH_MAX, '\0');
    ssize_t n = readlink(target.resolved.c_str(), link.data(), link.size());
    if (n < 0) fail_errno(target, errno);
    if (n == 0 || static_cast<size_t>(n) == link.size()) fail_errno(target, ENAMETOOLONG);
    link.resize(static_cast<size_t>(n));
    target.resolved = link.front() == '/' ? link : folder_of(target.resolved) + link;
  }
  return target;
}

void check_output_writable(const OutputTarget &target) {
  switch (target.kind) {
  case OutputKind::Folder:
    fail_errno(target, EISDIR);
  case OutputKind::Stream:
    if (access(target.resolved.c_str(), W_OK) != 0) fail_errno(target, errno);
    return;
  case OutputKind::File: {
    // The one sure test of a folder taking new files is making one: the
    // permission bits alone do not say what root, ACLs or a read-only mount
    // allow.
    std::string partial;
    int fd = create_partial(target, &partial);
    close(fd);
    unlink(partial.c_str());
    return;
  }
  }
}

void write_output(const OutputTarget &target, const std::vector<unsigned char> &bytes) {
  switch (target.kind) {
  case OutputKind::Folder:
    fail_errno(target, EISDIR);
  case OutputKind::Stream:
    write_stream(target, bytes);
    return;
  case OutputKind::File:
    write_file(target, bytes);
    return;
  }
}

} // namespace vr
