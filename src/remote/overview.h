#pragma once
// The Master's computer overview: per screamer number, which installation runs it; plus named
// groups of screamers. Kept in "StateOverview.lst".

#include <QString>
#include <vector>

// Item k describes screamer number k+1.
struct TComputerOverviewItem
{
    QString Name = QStringLiteral("Unknown");
    int Memory = 1024;
    int Processors = 1;
};

struct TComputerOverviewGroup
{
    QString Name;
    QString Screamers; // screamer numbers separated by blanks
};

inline const QString OverviewOutdatedText
    = QStringLiteral("Outdated computer information. Master will have to learn all names again. Sorry, ...");

inline const QString OverviewWriteError = QStringLiteral(
    "I could not store the overview of computers.\nCheck the Commands Directory (Program - Options - Screamer)");

// No farm has this many screamers or groups; a file or sender that names more is damaged, and
// reading stops here.
inline constexpr int OverviewItemLimit = 100000;
inline constexpr int OverviewGroupLimit = 100000;

class TComputerOverview
{
public:
    enum class TLoadResult
    {
        Loaded,
        NoFile, // missing, unreadable, or 3 lines or fewer
        Outdated // the caller shows OverviewOutdatedText
    };

    // Clamped to 0..OverviewItemLimit.
    void SetItemCount(int n);
    bool UpdateItem(int index, const QString& name, int processors, int memory);
    void AddGroup(const QString& name, const QString& screamers);
    void DeleteGroup(int index);

    int ItemCount() const { return static_cast<int>(FItems.size()); }
    const TComputerOverviewItem& Item(int index) const { return FItems[static_cast<size_t>(index)]; }
    int GroupCount() const { return static_cast<int>(FGroups.size()); }
    const TComputerOverviewGroup& Group(int index) const { return FGroups[static_cast<size_t>(index)]; }
    bool Modified() const { return FModified; }

    // Replaces items and groups with the file's; on NoFile and Outdated nothing changes.
    TLoadResult Load(const QString& path);
    // Replaces the file atomically and clears the modified flag; false when it could not be written.
    bool Save(const QString& path);
    bool SaveIfModified(const QString& path);

private:
    std::vector<TComputerOverviewItem> FItems;
    std::vector<TComputerOverviewGroup> FGroups;
    bool FModified = false;
};

// Records a sender as running each of its screamers: entry N-1 for every number N of
// `screamers`, with the number of tokens as its processors. Numbers outside 1..ItemCount()
// change nothing. `changedNumbers` receives the numbers whose entries changed, so the caller
// can rename those computers; true when anything changed.
bool IdentifySender(TComputerOverview& overview, const QString& name, const QString& screamers, int memory,
    std::vector<int>& changedNumbers);
