#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

TEST_F(AtomicFile, MissingFolderOrAFolderAsTargetFails) {
    EXPECT_NE(WriteFileAtomically((dir / "no/such/file.txt").string(), "x"), "");
    EXPECT_NE(WriteFileAtomically(dir.string(), "x"), "");
    EXPECT_TRUE(fs::is_directory(dir));
}

}  // namespace
}  // namespace pictoma
