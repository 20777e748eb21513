#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pictoma {
namespace fs = std::filesystem;

namespace {

std::string Failure(const std::string& path, std::string_view what, int err) {
    std::string msg = "Cannot write \"" + path + "\": ";
    msg += what;
    if (err != 0) {
        msg += ": ";
        msg += std::strerror(err);
    }
    return msg;
}

}  // namespace

#ifndef _WIN32

std::string WriteFileAtomically(const std::string& path, std::string_view data) {
    return WriteFileAtomically(path, std::span<const std::string_view>(&data, 1));
}

std::string WriteFileAtomically(const std::string& path, std::span<const std::string_view> parts) {
    if (path.empty()) return "Cannot write a file without a name";
    std::error_code ec;
    if (fs::is_directory(path, ec)) return Failure(path, "it is a folder", 0);

    fs::path target(path);
    fs::path dir = target.parent_path();
    std::string name = target.filename().string();
    name.insert(0, 1, '.');
    name += ".XXXXXX";
    std::string tmpl = (dir / name).string();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return Failure(path, "cannot create a file in its folder", errno);

    // Keep the permissions of a file being replaced; a new file gets the usual 0666 & ~umask.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    for (std::string_view data : parts) {
        const char* p = data.data();
        std::size_t left = data.size();
        while (left > 0) {
            ssize_t n = ::write(fd, p, left);
            if (n < 0) {
                if (errno == EINTR) continue;
                int err = errno;
                ::close(fd);
                ::unlink(tmpl.c_str());
                return Failure(path, "writing failed", err);
            }
            p += n;
            left -= std::size_t(n);
        }
    }
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) {
        int err = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        return Failure(path, "writing failed", err);
    }
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return Failure(path, "writing failed", err);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        return Failure(path, "cannot replace it", err);
    }
    return {};
}

#else

std::string WriteFileAtomically(const std::string& path, std::string_view data) {
    return WriteFileAtomically(path, std::span<const std::string_view>(&data, 1));
}

std::string WriteFileAtomically(const std::string& path, std::span<const std::string_view> parts) {
    if (path.empty()) return "Cannot write a file without a name";
    fs::path target = fs::u8path(path);
    fs::path tmp = target;
    tmp += ".tmp";
    std::FILE* f = _wfopen(tmp.c_str(), L"wb");
    if (!f) return Failure(path, "cannot create a file in its folder", errno);
    bool ok = true;
    for (std::string_view data : parts)
        ok = ok && std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        fs::remove(tmp);
        return Failure(path, "writing failed", errno);
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        fs::remove(tmp);
        return Failure(path, "cannot replace it", ec.value());
    }
    return {};
}

#endif

}  // namespace pictoma
