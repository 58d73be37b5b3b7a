#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

#ifdef O_NONBLOCK
constexpr int OPEN_WITHOUT_WAITING = O_NONBLOCK;
#else
constexpr int OPEN_WITHOUT_WAITING = 0;
#endif
#ifdef O_BINARY
constexpr int OPEN_BINARY = O_BINARY;
#else
constexpr int OPEN_BINARY = 0;
#endif

bool isFolder(const char* path) {
  struct stat status {};
  return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

int openRegularFile(const char* path, OpenRefusal* refusal) {
  const int descriptor = open(path, O_RDONLY | OPEN_WITHOUT_WAITING | OPEN_BINARY);
  if (descriptor < 0) {
    const int openError = errno;
    *refusal = isFolder(path) ? OpenRefusal::Folder : OpenRefusal::CannotOpen;
    errno = openError;
    return -1;
  }
  struct stat status {};
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    *refusal = S_ISDIR(status.st_mode) ? OpenRefusal::Folder : OpenRefusal::NotRegular;
    close(descriptor);
    return -1;
  }
#ifdef O_NONBLOCK
  // A regular file reads the same either way; the reader gets the plain blocking descriptor.
  const int flags = fcntl(descriptor, F_GETFL);
  if (flags >= 0) fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
#endif
  *refusal = OpenRefusal::None;
  return descriptor;
}

}  // namespace platform
