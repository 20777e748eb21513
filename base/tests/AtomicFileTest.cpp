// Linux/POSIX-only: forks, FIFOs, device nodes and file modes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <csignal>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AtomicFile.h"

namespace pictoma {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(::testing::TempDir()) / ("atomic_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(AtomicFile, WritesBytesExactlyAndReplacesAWholeFile) {
    const fs::path target = dir / "out.txt";
    std::ofstream(target) << "a much longer old content that must vanish entirely";
    const std::string data("a\r\nb\0c", 6);
    EXPECT_EQ(WriteFileAtomically(target.string(), data), "");
    EXPECT_EQ(Slurp(target), data);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(AtomicFile, FailureNamesTheFileAndKeepsTheOldOne) {
    // A name so long that no temporary file can be made beside it fails even for root; for other
    // users a read-only folder fails too.
    std::vector<fs::path> targets = {dir / std::string(250, 'k')};
    if (::geteuid() != 0) targets.push_back(dir / "ro" / "keep.txt");
    fs::create_directories(dir / "ro");
    for (const fs::path& target : targets) {
        std::ofstream(target) << "old";
        fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
        const std::string err = WriteFileAtomically(target.string(), "new");
        EXPECT_NE(err.find(target.string()), std::string::npos) << err;
        EXPECT_EQ(Slurp(target), "old");
        fs::permissions(dir / "ro", fs::perms::owner_all);
    }
}

std::size_t Entries(const fs::path& dir) {
    return std::size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Pieces made while writing land in order; a piece that cannot be written (the file size limit
// of a child process) fails the whole write, the pieces after it go nowhere, and the old file
// stays.
TEST_F(AtomicFile, ProducedPiecesAreWrittenInOrderAndAFailedOneKeepsTheOldFile) {
    const fs::path target = dir / "made.pbm";
    const std::string big(1 << 20, 'x');
    EXPECT_EQ(WriteFileAtomically(target.string(),
                                  [&](const PutData& put) {
                                      put("P4\n");
                                      put(big);
                                      put("");
                                      put("end");
                                  }),
              "");
    EXPECT_EQ(Slurp(target), "P4\n" + big + "end");

    std::ofstream(target) << "old";
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int pieces = 0;
        const std::string err = WriteFileAtomically(target.string(), [&](const PutData& put) {
            for (int i = 0; i < 4; ++i, ++pieces)
                put(std::string(3000, 'n'));
        });
        const bool ok = err.find("writing failed") != std::string::npos && pieces == 4 &&
                        Slurp(target) == "old" && Entries(dir) == 1;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Slurp(target), "old");
}

TEST_F(AtomicFile, SymbolicLinksAreFollowedAndStayLinks) {
    fs::create_directories(dir / "real");
    std::ofstream(dir / "real" / "target.txt") << "old";
    // Two links deep, the second relative to its own folder; and one whose target is missing.
    fs::create_symlink("real/target.txt", dir / "first");
    fs::create_symlink(dir / "first", dir / "second");
    fs::create_symlink("real/new.txt", dir / "dangling");

    EXPECT_EQ(WriteFileAtomically((dir / "second").string(), "new"), "");
    EXPECT_EQ(WriteFileAtomically((dir / "dangling").string(), "made"), "");
    EXPECT_TRUE(fs::is_symlink(dir / "first"));
    EXPECT_TRUE(fs::is_symlink(dir / "second"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(Slurp(dir / "real" / "target.txt"), "new");
    EXPECT_EQ(Slurp(dir / "real" / "new.txt"), "made");
    EXPECT_EQ(Entries(dir / "real"), 2u);  // no temporary file beside the targets

    fs::create_symlink("loop", dir / "loop");
    EXPECT_NE(WriteFileAtomically((dir / "loop").string(), "x"), "");
}

TEST_F(AtomicFile, AFifoIsWrittenIntoNotReplaced) {
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Slurp(fifo); });
    EXPECT_EQ(WriteFileAtomically(fifo.string(), "through the pipe"), "");
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(Entries(dir), 1u);
}

TEST_F(AtomicFile, ADeviceIsWrittenIntoNotReplaced) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a device node needs root";
    // Our own node of the null device, inside the scratch folder.
    const fs::path node = dir / "null";
    ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    EXPECT_EQ(WriteFileAtomically(node.string(), "discarded"), "");
    EXPECT_TRUE(fs::is_character_file(node));
    EXPECT_EQ(Entries(dir), 1u);
}

TEST_F(AtomicFile, AReplacedFileKeepsItsModeOwnerAndGroup) {
    const fs::path target = dir / "kept.txt";
    std::ofstream(target) << "old";
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 1234, 5678), 0);
    }
    EXPECT_EQ(WriteFileAtomically(target.string(), "new"), "");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 5678u);
    }
    EXPECT_EQ(Slurp(target), "new");
}

TEST_F(AtomicFile, AnInterruptedWriteLeavesNoTemporaryFile) {
    const fs::path target = dir / "big.bin";
    const std::string data(64 << 20, 'z');
    for (int delayMs : {0, 5, 20}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;)
                WriteFileAtomically(target.string(), data);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        ::kill(child, SIGINT);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status));
        for (const auto& e : fs::directory_iterator(dir)) {
            EXPECT_EQ(e.path().filename(), "big.bin") << "left behind: " << e.path();
            EXPECT_EQ(e.file_size(), data.size());
        }
    }
}

TEST_F(AtomicFile, MissingFolderOrAFolderAsTargetFails) {
    EXPECT_NE(WriteFileAtomically((dir / "no/such/file.txt").string(), "x"), "");
    const std::string err = WriteFileAtomically(dir.string(), "x");
    EXPECT_NE(err.find("it is a folder"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_directory(dir));
}

}  // namespace
}  // namespace pictoma
