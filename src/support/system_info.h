#pragma once
// Facts about the local computer, gathered once.

#include <QString>

// 1 memory load in percent; 2/3 total/available physical, 4/5 total/available paging (swap with
// memory), 6/7 total/available virtual address space; all in kilobytes. 0 for any other selector.
qint64 MemoryFigure(int selector);

// A kernel release such as 6.1.0-18-amd64 as "major.minor (patch.rest)": 6.1 (0.-18-amd64).
// A release that does not start with major.minor is returned as it is.
QString KernelVersionText(const QString& release);

class TSystemInfo
{
public:
    TSystemInfo();

    QString ComputerName;
    QString UserName;
    QString WindowsDirectory; // none on this platform
    QString SystemDirectory; // none on this platform
    QString RegisteredOwner; // none on this platform
    QString RegisteredOrganization;
    QString VersionText; // the kernel's, see KernelVersionText
    QString PlatformName; // the distribution's name and version
    int PlatformId = -1; // no platform id here
};
