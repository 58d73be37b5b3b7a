#pragma once
// Fuzz inputs reach the code under test as files, the way the show's data does: each input is
// written over one file of this process, in memory-backed /dev/shm where there is one, and the
// file is removed when the fuzzer exits.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline const char* writeInputFile(const uint8_t* data, size_t size, const char* suffix) {
  static char path[512];  // plain storage: still there when the exit handler runs
  if (!path[0]) {
    const char* tmp = std::getenv("TMPDIR");
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp ? tmp : "/tmp";
    std::snprintf(path, sizeof path, "%s/kk-fuzz-%d%s", folder, int(getpid()), suffix);
    std::atexit([] { unlink(path); });
  }
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) std::abort();
  for (size_t done = 0; done < size;) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) std::abort();
    done += size_t(n);
  }
  close(fd);
  return path;
}
