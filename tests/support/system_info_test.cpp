#include "support/system_info.h"

#include <QSysInfo>
#include <gtest/gtest.h>

#include <sys/resource.h>

TEST(SystemInfo, MemoryFiguresAreConsistent)
{
    const qint64 load = MemoryFigure(1);
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
    const qint64 physical = MemoryFigure(2);
    EXPECT_GT(physical, 0);
    EXPECT_GT(MemoryFigure(3), 0);
    EXPECT_LE(MemoryFigure(3), physical);
    EXPECT_GE(MemoryFigure(4), physical);
    EXPECT_LE(MemoryFigure(5), MemoryFigure(4));
    EXPECT_GT(MemoryFigure(6), 0);
    EXPECT_GT(MemoryFigure(7), 0);
    EXPECT_LT(MemoryFigure(7), MemoryFigure(6));
    EXPECT_EQ(MemoryFigure(0), 0);
    EXPECT_EQ(MemoryFigure(8), 0);
    EXPECT_EQ(MemoryFigure(-1), 0);
}

TEST(SystemInfo, VirtualTotalFollowsALowerAddressSpaceLimit)
{
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    const rlim_t lower = rlim_t(1) << 46;
    if (saved.rlim_max != RLIM_INFINITY && saved.rlim_max < lower)
        GTEST_SKIP() << "address space already limited";
    rlimit limited = saved;
    limited.rlim_cur = lower;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    const qint64 total = MemoryFigure(6);
    setrlimit(RLIMIT_AS, &saved);
    EXPECT_EQ(total, qint64(1) << 36);
}

TEST(SystemInfo, KernelVersionText)
{
    EXPECT_EQ(KernelVersionText(QStringLiteral("6.1.0-18-amd64")), QStringLiteral("6.1 (0.-18-amd64)"));
    EXPECT_EQ(KernelVersionText(QStringLiteral("5.15.0")), QStringLiteral("5.15 (0.)"));
    EXPECT_EQ(KernelVersionText(QStringLiteral("6.8-rc1")), QStringLiteral("6.8 (0.-rc1)"));
    EXPECT_EQ(KernelVersionText(QStringLiteral("odd")), QStringLiteral("odd"));
}

TEST(SystemInfo, FactsOfThisComputer)
{
    const TSystemInfo info;
    EXPECT_EQ(info.ComputerName, QSysInfo::machineHostName());
    EXPECT_FALSE(info.UserName.isEmpty());
    EXPECT_TRUE(info.WindowsDirectory.isEmpty());
    EXPECT_TRUE(info.SystemDirectory.isEmpty());
    EXPECT_TRUE(info.RegisteredOwner.isEmpty());
    EXPECT_TRUE(info.RegisteredOrganization.isEmpty());
    EXPECT_EQ(info.VersionText, KernelVersionText(QSysInfo::kernelVersion()));
    EXPECT_TRUE(info.VersionText.contains(u'('));
    EXPECT_EQ(info.PlatformName, QSysInfo::prettyProductName());
    EXPECT_EQ(info.PlatformId, -1);
}
