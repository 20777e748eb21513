#include "AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <random>
#endif

namespace pictoma {
namespace fs = std::filesystem;

namespace {

using Producer = std::function<void(const PutData& put)>;

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

namespace {

// Blocks SIGINT, SIGTERM and SIGHUP while a named temporary file exists, so that an interrupted
// program never leaves one behind: the signal arrives once the file is renamed or removed.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &set, &m_old);
    }
    ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t m_old;
};

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void Reset(int fd) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and reports whether the close succeeded (a late write error shows up here).
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Writes every piece `produce` gives; false, with errno from the failed write, once one fails.
bool WriteAll(int fd, const Producer& produce) {
    int failure = 0;
    produce([&](std::string_view data) {
        const char* p = data.data();
        std::size_t left = data.size();
        while (failure == 0 && left > 0) {
            const ssize_t n = ::write(fd, p, left);
            if (n < 0) {
                if (errno != EINTR) failure = errno;
                continue;
            }
            p += n;
            left -= std::size_t(n);
        }
    });
    errno = failure;
    return failure == 0;
}

// fsync that accepts what cannot be synced (a pipe, a terminal, a read-only medium).
bool Sync(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

// Follows symbolic links (relative ones from their own folder) to the name that is finally
// written: an existing object that is not a link, or a name that does not exist yet.
std::optional<fs::path> ResolveLinks(fs::path path, int& err) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::error_code ec;
        fs::path next = fs::read_symlink(path, ec);
        if (ec) {
            err = ec.value();
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    err = ELOOP;
    return std::nullopt;
}

std::string RandomSuffix() {
    static std::mt19937_64 rng(std::random_device{}() ^ std::uint64_t(::getpid()) << 32);
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s(6, 'x');
    for (char& c : s)
        c = kChars[rng() % (sizeof kChars - 1)];
    return s;
}

// Gives the anonymous file `fd` (opened with O_TMPFILE) the name `name` in the folder `dirFd`.
bool LinkAnonymous(int fd, int dirFd, const std::string& name) {
    if (::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, proc.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// Writes into an existing object that is not a regular file (a device, a FIFO): no temporary
// file and no rename, which would replace the object itself.
std::string WriteStraight(const std::string& shown, const fs::path& target,
                          const Producer& produce) {
    Fd fd(::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) return Failure(shown, "cannot open it for writing", errno);
    if (!WriteAll(fd.get(), produce)) return Failure(shown, "writing failed", errno);
    if (!fd.Close()) return Failure(shown, "writing failed", errno);
    return {};
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, const Producer& produce) {
    if (path.empty()) return "Cannot write a file without a name";
    int err = 0;
    const std::optional<fs::path> resolved = ResolveLinks(path, err);
    if (!resolved) return Failure(path, "cannot follow its symbolic link", err);
    const fs::path& target = *resolved;

    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return Failure(path, "it is a folder", 0);
    if (exists && !S_ISREG(st.st_mode)) return WriteStraight(path, target, produce);

    // A file being replaced keeps its permission bits, owner and group (as far as the process may
    // set them); a new one gets the usual 0666 & ~umask.
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    const std::string base = target.filename().string();
    Fd dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() < 0) return Failure(path, "cannot open its folder", errno);

    // Preferably an anonymous file that gets a name only once complete, so that not even a kill
    // leaves a half-written file behind; a named temporary file where the filesystem cannot.
    const SignalsHeld held;
    std::string tmpName;
    Fd fd(::openat(dirFd.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    const bool anonymous = fd.get() >= 0;
    if (!anonymous) {
        for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
            const std::string name = "." + base + "." + RandomSuffix();
            fd.Reset(
                ::openat(dirFd.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
            if (fd.get() >= 0)
                tmpName = name;
            else if (errno != EEXIST)
                break;
        }
        if (fd.get() < 0) return Failure(path, "cannot create a file in its folder", errno);
    }
    const auto fail = [&](std::string_view what, int code) {
        if (!tmpName.empty()) ::unlinkat(dirFd.get(), tmpName.c_str(), 0);
        return Failure(path, what, code);
    };

    if (exists && ::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
        // Not the owner: keep at least the group where the process belongs to it.
        (void)!::fchown(fd.get(), uid_t(-1), st.st_gid);
    }
    if (::fchmod(fd.get(), mode) != 0) return fail("cannot set its permissions", errno);
    if (!WriteAll(fd.get(), produce) || !Sync(fd.get())) return fail("writing failed", errno);

    if (anonymous) {
        // A name that does not exist yet is taken directly; otherwise a fresh name is renamed
        // over the old file, which stays whole until that moment.
        if (!exists && LinkAnonymous(fd.get(), dirFd.get(), base)) {
            fd.Close();
            Sync(dirFd.get());
            return {};
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            tmpName = "." + base + "." + RandomSuffix();
            if (LinkAnonymous(fd.get(), dirFd.get(), tmpName)) break;
            const int code = errno;
            tmpName.clear();
            if (code != EEXIST) return fail("cannot create a file in its folder", code);
        }
        if (tmpName.empty()) return fail("cannot create a file in its folder", EEXIST);
    }
    if (!fd.Close()) return fail("writing failed", errno);
    if (::renameat(dirFd.get(), tmpName.c_str(), dirFd.get(), base.c_str()) != 0)
        return fail("cannot replace it", errno);
    Sync(dirFd.get());
    return {};
}

#else

std::string WriteFileAtomically(const std::string& path, const Producer& produce) {
    if (path.empty()) return "Cannot write a file without a name";
    fs::path target = fs::u8path(path);
    fs::path tmp = target;
    tmp += ".tmp";
    std::FILE* f = _wfopen(tmp.c_str(), L"wb");
    if (!f) return Failure(path, "cannot create a file in its folder", errno);
    bool ok = true;
    produce([&](std::string_view data) {
        ok = ok && std::fwrite(data.data(), 1, data.size(), f) == data.size();
    });
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

std::string WriteFileAtomically(const std::string& path, std::string_view data) {
    return WriteFileAtomically(path, std::span<const std::string_view>(&data, 1));
}

std::string WriteFileAtomically(const std::string& path, std::span<const std::string_view> parts) {
    return WriteFileAtomically(path, [parts](const PutData& put) {
        for (std::string_view part : parts)
            put(part);
    });
}

}  // namespace pictoma
