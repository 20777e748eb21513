#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RecentFileList.h"

namespace pictoma {
namespace {

using Files = std::vector<std::string>;

TEST(RecentFileList, NewestFirstWithoutRepeatsAndAtMostTheCapacity) {
    RecentFileList list(4);
    for (const char* path : {"/p/a.bmp", "/p/b.bmp", "/p/c.bmp", "/p/d.bmp", "/p/e.bmp"})
        list.Add(path);
    EXPECT_EQ(list.Files(), (Files{"/p/e.bmp", "/p/d.bmp", "/p/c.bmp", "/p/b.bmp"}));

    list.Add("/p/./c.bmp");  // the same file by another spelling moves up
    EXPECT_EQ(list.Files(), (Files{"/p/./c.bmp", "/p/e.bmp", "/p/d.bmp", "/p/b.bmp"}));
    list.Add("");
    EXPECT_EQ(list.Files().size(), 4u);

    list.Remove(1);
    list.Remove(7);
    EXPECT_EQ(list.Files(), (Files{"/p/./c.bmp", "/p/d.bmp", "/p/b.bmp"}));
}

TEST(RecentFileList, AssignSkipsEmptyAndRepeatedEntries) {
    RecentFileList list(4);
    list.Assign({"", "/p/a.bmp", "/p/q/../a.bmp", "/p/b.bmp", "", "/p/c.bmp", "/p/d.bmp", "/x"});
    EXPECT_EQ(list.Files(), (Files{"/p/a.bmp", "/p/b.bmp", "/p/c.bmp", "/p/d.bmp"}));
}

TEST(RecentFileList, MenuTextNumbersTheEntryAndEscapesAmpersands) {
    RecentFileList list(4);
    list.Add("/home/u/other/R&D.bmp");
    list.Add("/home/u/pics/sample.bmp");
    EXPECT_EQ(list.MenuText(0, "/home/u/pics"), "&1 sample.bmp");
    EXPECT_EQ(list.MenuText(0, "/home/u/pics/"), "&1 sample.bmp");
    EXPECT_EQ(list.MenuText(1, "/home/u/pics"), "&2 /home/u/other/R&&D.bmp");
    EXPECT_EQ(list.MenuText(2, "/home/u/pics"), "");
}

TEST(RecentFileList, LongPathsKeepTheRootAndTheTrailingFolders) {
    struct Case {
        const char* path;
        const char* shown;
    };
    const Case cases[] = {
        {"/a/b/picture.bmp", "/a/b/picture.bmp"},
        {"/home/someone/pics/terminal/logo.bmp", "/.../pics/terminal/logo.bmp"},
        {"/home/someone/pictures/terminal/company-logo.bmp", "/.../terminal/company-logo.bmp"},
        {"/x/a-very-long-file-name-for-a-picture.bmp", "a-very-long-file-name-for-a-picture.bmp"},
        {"/home/someone/图片/终端/标志.bmp", "/home/someone/图片/终端/标志.bmp"},  // 26 characters
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RecentFileList::DisplayName(c.path, "/elsewhere"), c.shown) << c.path;
        EXPECT_EQ(RecentFileList::DisplayName(c.path, ""), c.shown) << c.path;
    }
}

}  // namespace
}  // namespace pictoma
