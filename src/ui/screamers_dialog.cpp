#include "ui/screamers_dialog.h"

#include "farm/farm.h"
#include "support/number_list.h"
#include "support/people.h"
#include "support/text_routines.h"
#include "ui/dialog_buttons.h"
#include "ui/look.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString NoScreamersSelectedText = QStringLiteral("No Screamers selected to create a group.");
const QString NoGroupSelectedText = QStringLiteral("There's no group selected.");
const QString DeleteGroupQuestion = QStringLiteral("Are you sure you want to delete the selected group?");

} // namespace

TFormScreamers::TFormScreamers(TFarm& farm, QWidget* parent)
    : QDialog(parent)
    , ListboxScreamers(new QListWidget(this))
    , ListBoxGroups(new QListWidget(this))
    , ButtonAddGroup(new QPushButton(QStringLiteral("Add group"), this))
    , ButtonDeleteGroup(new QPushButton(QStringLiteral("Delete group"), this))
    , ButtonOk(new QPushButton(QStringLiteral("&Ok"), this))
    , ButtonCancel(new QPushButton(QStringLiteral("&Cancel"), this))
    , FFarm(farm)
{
    setWindowTitle(QStringLiteral("Screamers"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ListboxScreamers->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListboxScreamers->setUniformItemSizes(true);
    // Columns of the lines line up only in a fixed-pitch font.
    ListboxScreamers->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ListBoxGroups->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Screamers"), this), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Groups"), this), 0, 1);
    lists->addWidget(ListboxScreamers, 1, 0);
    auto* groups = new QVBoxLayout;
    groups->addWidget(ListBoxGroups);
    groups->addWidget(ButtonAddGroup);
    groups->addWidget(ButtonDeleteGroup);
    lists->addLayout(groups, 1, 1);
    lists->setColumnStretch(0, 3);
    lists->setColumnStretch(1, 2);

    auto* buttons = new QHBoxLayout;
    PlaceOkCancel(*this, *buttons, ButtonOk, ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(ListBoxGroups, &QListWidget::itemClicked, this, &TFormScreamers::GroupClicked);
    connect(ButtonAddGroup, &QPushButton::clicked, this, &TFormScreamers::AddGroupClick);
    connect(ButtonDeleteGroup, &QPushButton::clicked, this, &TFormScreamers::DeleteGroupClick);
}

QString TFormScreamers::Execute(const QString& preselected)
{
    // A Remote shows the Master's overview as the Master last stored it.
    FFarm.ReadOverview();
    Fill(preselected);
    if (exec() != QDialog::Accepted)
        return QString();
    return SelectedNumbers();
}

QString TFormScreamers::ScreamerLine(int index) const
{
    const TComputerOverview& overview = FFarm.Overview;
    const TComputerOverviewItem& item = overview.Item(index);
    const int digits = static_cast<int>(QString::number(overview.ItemCount()).size());
    const QString gap = QStringLiteral("    ");
    return ZeroPadded(index + 1, digits) + gap + item.Name + gap + QString::number(item.Memory)
        + QStringLiteral("mb");
}

void TFormScreamers::Fill(const QString& preselected)
{
    ListboxScreamers->clear();
    const int count = FFarm.Overview.ItemCount();
    QStringList lines;
    lines.reserve(count);
    for (int index = 0; index < count; ++index)
        lines.append(ScreamerLine(index));
    ListboxScreamers->addItems(lines);
    Select(preselected);
    FillGroups();
    // Groups are the Master's: a Remote only uses them.
    ButtonAddGroup->setEnabled(FFarm.IsMaster());
    ButtonDeleteGroup->setEnabled(FFarm.IsMaster());
}

void TFormScreamers::FillGroups()
{
    ListBoxGroups->clear();
    for (int index = 0; index < FFarm.Overview.GroupCount(); ++index)
        ListBoxGroups->addItem(FFarm.Overview.Group(index).Name);
}

void TFormScreamers::Select(const QString& numbers)
{
    const QString clean = CleanNumberList(numbers);
    for (int row = 0; row < ListboxScreamers->count(); ++row)
        ListboxScreamers->item(row)->setSelected(NumberInList(row + 1, clean));
}

QString TFormScreamers::SelectedNumbers() const
{
    QString numbers;
    for (int row = 0; row < ListboxScreamers->count(); ++row)
        if (ListboxScreamers->item(row)->isSelected())
            AppendNumber(numbers, QString::number(row + 1));
    return numbers;
}

void TFormScreamers::GroupClicked()
{
    const int row = ListBoxGroups->currentRow();
    if (row >= 0 && row < FFarm.Overview.GroupCount())
        Select(FFarm.Overview.Group(row).Screamers);
}

void TFormScreamers::AddGroupClick()
{
    const QString numbers = SelectedNumbers();
    if (numbers.isEmpty()) {
        FFarm.People.Ask(NoScreamersSelectedText, false);
        return;
    }
    QString name;
    if (!FFarm.People.AskText(QStringLiteral("Enter name..."), name) || name.trimmed().isEmpty())
        return;
    FFarm.AddScreamerGroup(name, numbers);
    FillGroups();
}

void TFormScreamers::DeleteGroupClick()
{
    const int row = ListBoxGroups->currentRow();
    if (row < 0 || !ListBoxGroups->item(row)->isSelected()) {
        FFarm.People.Ask(NoGroupSelectedText, false);
        return;
    }
    if (!FFarm.People.Ask(DeleteGroupQuestion, true))
        return;
    FFarm.DeleteScreamerGroup(row);
    FillGroups();
}

void TFormScreamers::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
}
