#pragma once
// Writing a whole buffer to a file descriptor: write() may take less than it is given, and a
// signal may interrupt it. Header only, so that the archive library, which links nothing of
// Kelu's, uses the same loop.

#include <cerrno>
#include <cstddef>
#include <unistd.h>

// False when the file refuses the bytes (disk full, an error); errno tells why.
inline bool WriteAll(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        const ssize_t nDone = write(fd, p, n);
        if (nDone < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += nDone;
        n -= static_cast<std::size_t>(nDone);
    }
    return true;
}
