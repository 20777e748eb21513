#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Fakes.h"
#include "LookupFile.h"
#include "PortDevice.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using fake::MemoryFile;

TEST(FindLongLineTest, NamesTheFirstLineARecordCannotHold) {
    const std::string fits(253, 'a');
    const std::string over(254, 'a');
    struct Case {
        std::string file;
        std::uint64_t line;
    };
    const Case cases[] = {
        {"", 0},
        {fits, 0},
        {fits + "\r\n" + fits + "\r\n", 0},
        {over, 1},
        {"x\r\n" + over + "\r\n", 2},
        {"\r\r\r" + over, 4},                                       // empty lines count
        {std::string(100, 'a') + "\n" + std::string(153, 'a'), 0},  // LF is never sent
        {"a\nb\n" + over, 1},                                       // nor is it a line end
    };
    for (const Case& c : cases) {
        MemoryFile file(c.file);
        file.position = 7 % (c.file.size() + 1);
        EXPECT_EQ(FindLongLine(file), c.line) << c.file.size();
        EXPECT_EQ(file.position, 0u);
    }
}

class DiskFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("vantrel-file-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(DiskFileTest, ReadsSizesAndRewinds) {
    const fs::path path = dir_ / "shop.txt";
    std::ofstream(path, std::ios::binary) << "AB\r\nC";
    auto file = DiskLookupFile::Open(path.string());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Size(), 5u);
    std::array<std::uint8_t, 8> buf{};
    EXPECT_EQ(file->Read(buf), 5u);
    EXPECT_EQ(file->Read(buf), 0u);
    file->Rewind();
    EXPECT_EQ(file->Read(std::span(buf).first(2)), 2u);
    EXPECT_EQ(buf[1], 'B');
}

TEST_F(DiskFileTest, MissingFileOrFolderDoesNotOpen) {
    EXPECT_EQ(DiskLookupFile::Open((dir_ / "none.txt").string()), nullptr);
    EXPECT_EQ(DiskLookupFile::Open(dir_.string()), nullptr);
}

TEST_F(DiskFileTest, AnythingButARegularFileIsRefusedAtOnceNamingIt) {
    const std::string none = (dir_ / "none.txt").string();
    EXPECT_EQ(DiskLookupFile::OpenWithReason(none).reason, none + ": No such file or directory");
    EXPECT_EQ(DiskLookupFile::OpenWithReason(dir_.string()).reason,
              dir_.string() + " is not a regular file");
#ifndef _WIN32
    // A FIFO without a writer: opening it must not wait for one.
    const std::string fifo = (dir_ / "shop.txt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const LookupFileOpening opening = DiskLookupFile::OpenWithReason(fifo);
    EXPECT_EQ(opening.file, nullptr);
    EXPECT_EQ(opening.reason, fifo + " is not a regular file");
#endif
    const std::string good = (dir_ / "good.txt").string();
    std::ofstream(good) << "AB";
    const LookupFileOpening ok = DiskLookupFile::OpenWithReason(good);
    ASSERT_NE(ok.file, nullptr);
    EXPECT_EQ(ok.reason, "");
    std::array<std::uint8_t, 4> buf{};
    EXPECT_EQ(ok.file->Read(buf), 2u);  // reads block as usual once open
}

#ifndef _WIN32
TEST(PortDeviceTest, ComNameIsTheVariableOrTheMatchingTtyS) {
    ::unsetenv("VANTREL_COM2");
    ::setenv("VANTREL_COM3", "/dev/pts/7", 1);
    ::setenv("VANTREL_COM4", "", 1);
    EXPECT_EQ(DeviceForPort("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DeviceForPort("COM2"), "/dev/ttyS1");
    EXPECT_EQ(DeviceForPort("COM3"), "/dev/pts/7");
    EXPECT_EQ(DeviceForPort("COM4"), "/dev/ttyS3");
    EXPECT_EQ(DeviceForPort("/dev/ttyUSB0"), "/dev/ttyUSB0");
    ::unsetenv("VANTREL_COM3");
    ::unsetenv("VANTREL_COM4");
}
#endif

}  // namespace
}  // namespace vantrel
