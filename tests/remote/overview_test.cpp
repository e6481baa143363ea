#include "remote/overview.h"

#include "test_files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RemoteOverview : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("StateOverview.lst"));
    TComputerOverview overview;
};

TEST_F(RemoteOverview, SaveAndLoadWithGroups)
{
    overview.SetItemCount(2);
    EXPECT_TRUE(overview.UpdateItem(1, QStringLiteral("Render 2"), 8, 16385));
    overview.AddGroup(QStringLiteral("Fast"), QStringLiteral("1 2"));
    overview.AddGroup(QStringLiteral("Gone"), QStringLiteral("3"));
    overview.DeleteGroup(1);
    ASSERT_TRUE(overview.SaveIfModified(path));
    EXPECT_FALSE(overview.Modified());
    EXPECT_EQ(ReadBytes(path),
        QByteArray("2\r\n1\r\nName Unknown\r\nMemory 1024\r\nProcessors 1\r\n[end]\r\n"
                   "Name Render 2\r\nMemory 16385\r\nProcessors 8\r\n[end]\r\n"
                   "Name Fast\r\nScreamers 1 2\r\n[end]\r\n"));

    TComputerOverview loaded;
    ASSERT_EQ(loaded.Load(path), TComputerOverview::TLoadResult::Loaded);
    ASSERT_EQ(loaded.ItemCount(), 2);
    EXPECT_EQ(loaded.Item(1).Name, QStringLiteral("Render 2"));
    EXPECT_EQ(loaded.Item(1).Processors, 8);
    EXPECT_EQ(loaded.Item(1).Memory, 16385);
    ASSERT_EQ(loaded.GroupCount(), 1);
    EXPECT_EQ(loaded.Group(0).Screamers, QStringLiteral("1 2"));
    EXPECT_FALSE(loaded.Modified());
}

TEST_F(RemoteOverview, LoadOfOddFiles)
{
    overview.SetItemCount(3);
    EXPECT_EQ(overview.Load(path), TComputerOverview::TLoadResult::NoFile);
    WriteBytes(path, "1\n0\nName A\n");
    EXPECT_EQ(overview.Load(path), TComputerOverview::TLoadResult::NoFile);
    WriteBytes(path, "Version 4\n0\nName A\n[end]\n");
    EXPECT_EQ(overview.Load(path), TComputerOverview::TLoadResult::Outdated);
    EXPECT_EQ(overview.ItemCount(), 3);

    // Counts are not trusted: records are read while lines last; other lines are skipped.
    WriteBytes(path, "2000000000\n2000000000\nName A\nColour red\nMemory lots\n[end]\nName B\nProcessors 4");
    ASSERT_EQ(overview.Load(path), TComputerOverview::TLoadResult::Loaded);
    ASSERT_EQ(overview.ItemCount(), 2);
    EXPECT_EQ(overview.Item(0).Name, QStringLiteral("A"));
    EXPECT_EQ(overview.Item(0).Memory, 1024);
    EXPECT_EQ(overview.Item(1).Processors, 4);
    EXPECT_EQ(overview.GroupCount(), 0);
}

TEST_F(RemoteOverview, ItemCountAndUpdates)
{
    overview.SetItemCount(8);
    EXPECT_TRUE(overview.Modified());
    EXPECT_TRUE(overview.Save(path));
    overview.SetItemCount(8);
    EXPECT_FALSE(overview.Modified());
    EXPECT_FALSE(overview.UpdateItem(8, QStringLiteral("A"), 1, 1));
    EXPECT_FALSE(overview.UpdateItem(0, QStringLiteral("Unknown"), 1, 1024));
    EXPECT_FALSE(overview.Modified());
    EXPECT_TRUE(overview.UpdateItem(7, QStringLiteral("A"), 1, 1024));
    overview.SetItemCount(4);
    EXPECT_EQ(overview.ItemCount(), 4);
    overview.SetItemCount(6);
    EXPECT_EQ(overview.Item(5).Name, QStringLiteral("Unknown"));
    overview.SetItemCount(-1);
    EXPECT_EQ(overview.ItemCount(), 0);
    EXPECT_TRUE(overview.Modified());
}

TEST_F(RemoteOverview, IdentifySender)
{
    overview.SetItemCount(4);
    std::vector<int> changed;
    EXPECT_TRUE(IdentifySender(overview, QStringLiteral("Box"), QStringLiteral("2 x 9"), 4097, changed));
    EXPECT_EQ(changed, (std::vector<int> { 2, 1 }));
    EXPECT_EQ(overview.Item(1).Name, QStringLiteral("Box"));
    EXPECT_EQ(overview.Item(1).Processors, 3);
    EXPECT_EQ(overview.Item(0).Memory, 4097);
    EXPECT_EQ(overview.Item(2).Name, QStringLiteral("Unknown"));
    EXPECT_FALSE(IdentifySender(overview, QStringLiteral("Box"), QStringLiteral("2 x 9"), 4097, changed));
    EXPECT_TRUE(changed.empty());
    EXPECT_FALSE(IdentifySender(overview, QStringLiteral("Box"), QString(), 4097, changed));

    // A megabyte of numbers is walked once.
    QString many = QStringLiteral("4");
    while (many.size() < 1024 * 1024)
        many += QStringLiteral(" 4");
    EXPECT_TRUE(IdentifySender(overview, QStringLiteral("Big"), many, 1, changed));
    EXPECT_EQ(changed, std::vector<int> { 4 });
    EXPECT_EQ(overview.Item(3).Processors, many.count(u' ') + 1);
}

} // namespace
