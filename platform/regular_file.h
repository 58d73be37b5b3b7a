#pragma once
// Opening a data file for reading without ever waiting on it: a FIFO opened for reading waits
// for a writer for good, and a device may never end, so only a regular file is handed out. The
// picture loader and the music decoder both open their files this way. Any thread.
namespace platform {

enum class OpenRefusal { None, CannotOpen, Folder, NotRegular };

// The descriptor of the regular file at `path`, opened read-only in binary mode and blocking
// (as any reader expects); the caller closes it. -1 otherwise, with `*refusal` saying why:
// CannotOpen leaves the system's reason in errno; a folder is named as one on every system
// (Windows will not open one and calls it "Permission denied").
int openRegularFile(const char* path, OpenRefusal* refusal);

}  // namespace platform
