// Listing a show's picture folders: order, sub-folders, hidden names, links and loops, and the limits.
#include "../lib/test_files.h"
#include "show/settings/picture_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vorlin::show;
using namespace vorlin::testing;

namespace {

class Folders : public ::testing::Test {
protected:
    TempDir root;
    void touch(const std::string& rel) {
        fs::create_directories(fs::path(root / rel).parent_path());
        writeFile(root / rel, "x");
    }
    // The listed paths relative to the temporary folder.
    std::vector<std::string> list(std::vector<TPictureFolder> folders, FolderLimits limits = {}) {
        for (auto& f : folders) f.path = root / f.path;
        std::vector<std::string> out;
        for (const auto& p : listFolderPictures(folders, limits))
            out.push_back(p.substr(root.str().size() + 1));
        return out;
    }
};

TEST_F(Folders, SortedByFoldedNameFilesBeforeSubFoldersDepthFirst) {
    for (const char* f : {"p/b.jpg", "p/B.png", "p/a.GIF", "p/_x.bmp", "p/Z.webp", "p/notes.txt", "p/jpg",
                          "p/.hidden.jpg", "p/.h/in.jpg", "p/sub2/c.jpg", "p/Sub1/z.jpg", "p/Sub1/deep/d.jpg",
                          "p/Sub1/a.jpg", "p/sub1.jpg/e.jpg"})
        touch(f);
    fs::create_directory(root / "p/folder.jpg"); // a folder with a picture's name is no picture
    // Without sub-folders: only the folder's own pictures. Letters compare folded to lower case, so "_"
    // (0x5F) comes before them all and "b.jpg" before "B.png".
    EXPECT_EQ(list({{"p", false}}),
              (std::vector<std::string>{"p/_x.bmp", "p/a.GIF", "p/b.jpg", "p/B.png", "p/Z.webp"}));
    EXPECT_EQ(
        list({{"p", true}}),
        (std::vector<std::string>{"p/_x.bmp", "p/a.GIF", "p/b.jpg", "p/B.png", "p/Z.webp", "p/Sub1/a.jpg",
                                  "p/Sub1/z.jpg", "p/Sub1/deep/d.jpg", "p/sub1.jpg/e.jpg", "p/sub2/c.jpg"}));
}

TEST_F(Folders, EqualFoldedNamesAreOrderedByTheirBytes) {
    for (const char* f : {"q/img.jpg", "q/IMG.jpg", "q/Img.jpg"}) touch(f);
    EXPECT_EQ(list({{"q", false}}), (std::vector<std::string>{"q/IMG.jpg", "q/Img.jpg", "q/img.jpg"}));
    EXPECT_TRUE(folderNameLess("a.jpg", "a.jpg2"));
    EXPECT_FALSE(folderNameLess("b", "B"));
    EXPECT_TRUE(folderNameLess("B", "b"));
}

TEST_F(Folders, LinksAreFollowedAndLoopsEnd) {
    touch("p/a.jpg");
    touch("p/sub/b.jpg");
    touch("other/c.jpg");
    fs::create_symlink(root / "other/c.jpg", root / "p/link.jpg"); // a link to a picture counts
    fs::create_symlink(root / "p", root / "p/sub/back");           // loop to the top
    fs::create_symlink(root / "p/sub", root / "p/sub/self");       // loop to itself
    fs::create_symlink(root / "nowhere.jpg", root / "p/dangling.jpg");
    fs::create_symlink(root / "other", root / "p/zlinked");
    EXPECT_EQ(list({{"p", true}}),
              (std::vector<std::string>{"p/a.jpg", "p/link.jpg", "p/sub/b.jpg", "p/zlinked/c.jpg"}));
    // Each directory once per listing: a folder named twice, or reached again through a link, adds nothing.
    EXPECT_EQ(list({{"other", false}, {"p", true}, {"p", false}}),
              (std::vector<std::string>{"other/c.jpg", "p/a.jpg", "p/link.jpg", "p/sub/b.jpg"}));
}

TEST_F(Folders, MissingFoldersAndFilesAddNothingAndStopNothing) {
    touch("p/a.jpg");
    touch("file.jpg");
    EXPECT_EQ(list({{"gone", true}, {"file.jpg", true}, {"p", false}}), std::vector<std::string>{"p/a.jpg"});
    EXPECT_TRUE(listFolderPictures({{"", true}}).empty());
    // A trailing "/" on the folder gives no doubled one.
    EXPECT_EQ(listFolderPictures({{root / "p/", false}}), std::vector<std::string>{root / "p/a.jpg"});
}

TEST_F(Folders, DepthIsLimited) {
    std::string deep = "p";
    for (int i = 0; i <= 4; ++i) {
        touch(deep + "/" + std::to_string(i) + ".jpg");
        deep += "/d";
    }
    EXPECT_EQ(list({{"p", true}}, {.depth = 2}),
              (std::vector<std::string>{"p/0.jpg", "p/d/1.jpg", "p/d/d/2.jpg"}));
    EXPECT_EQ(list({{"p", true}}).size(), 5u);
}

TEST_F(Folders, PictureAndEntryLimitsCutTheWholeListing) {
    for (int i = 0; i < 10; ++i) touch("p/" + std::to_string(i) + ".jpg");
    touch("q/x.jpg");
    FolderListing listing({.pictures = 4});
    std::vector<std::string> out;
    EXPECT_EQ(listing.add({root / "p", false}, out), 4u);
    EXPECT_TRUE(listing.limitReached());
    EXPECT_EQ(out.back(), root / "p/3.jpg"); // the first ones in list order
    EXPECT_EQ(listing.add({root / "q", false}, out), 0u);

    // Exactly at the limit is no cut.
    FolderListing exact({.pictures = 10});
    EXPECT_EQ(exact.add({root / "p", false}, out), 10u);
    EXPECT_FALSE(exact.limitReached());

    // Entries count whether they are pictures or not; the listing stops once they are spent.
    for (int i = 0; i < 10; ++i) touch("r/" + std::to_string(i) + ".txt");
    touch("r/sub/y.jpg");
    EXPECT_EQ(list({{"r", true}, {"q", false}}, {.entries = 5}), std::vector<std::string>{});
    EXPECT_EQ(list({{"r", true}, {"q", false}}, {.entries = 13}),
              (std::vector<std::string>{"r/sub/y.jpg", "q/x.jpg"}));
}

TEST(FolderLimit, TheShowLimitHoldsOnARealFolder) {
    // One more picture than a show takes, named so that the cut one is known: the last in list order. In
    // memory where the machine has it (20,001 files on a disk take long on a busy machine).
    const bool shm = fs::is_directory("/dev/shm") && access("/dev/shm", W_OK) == 0;
    std::string pattern = (shm ? fs::path("/dev/shm") : fs::temp_directory_path()) / "vorlin-test-XXXXXX";
    const std::string p = mkdtemp(pattern.data());
    for (std::size_t i = 0; i <= kMaxFolderPictures; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/%06zu.jpg", i);
        std::ofstream(p + name);
    }
    const auto all = listFolderPictures({{p, false}});
    fs::remove_all(p);
    ASSERT_EQ(all.size(), kMaxFolderPictures);
    EXPECT_EQ(all.back(), p + "/019999.jpg");
}

} // namespace
