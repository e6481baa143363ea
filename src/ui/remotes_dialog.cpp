#include "ui/remotes_dialog.h"

#include "support/text_routines.h"
#include "ui/dialog_buttons.h"
#include "ui/look.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const QString NameAddressSeparator = QStringLiteral(" - ");

} // namespace

TFormRemotes::TFormRemotes(QWidget* parent)
    : QDialog(parent)
    , LabelRemotes(new QLabel(QStringLiteral("Host name and IP address  "), this))
    , ListRemotes(new QTreeWidget(this))
    , ButtonOk(new QPushButton(QStringLiteral("&Ok"), this))
    , ButtonCancel(new QPushButton(QStringLiteral("&Cancel"), this))
{
    setWindowTitle(QStringLiteral("Remote Kestrions "));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    LabelRemotes->setBuddy(ListRemotes);
    ListRemotes->setColumnCount(2);
    ListRemotes->setHeaderHidden(true);
    ListRemotes->setRootIsDecorated(false);
    ListRemotes->setUniformRowHeights(true);
    ListRemotes->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListRemotes->header()->setStretchLastSection(true);

    auto* buttons = new QHBoxLayout;
    PlaceOkCancel(*this, *buttons, ButtonOk, ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelRemotes);
    layout->addWidget(ListRemotes);
    layout->addLayout(buttons);
    resize(420, 320);
}

void TFormRemotes::Fill(const QStringList& lines)
{
    ListRemotes->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(lines.size());
    for (const QString& line : lines) {
        // A host name may hold " - " itself; the address never does.
        const QString text = OneLine(line);
        const qsizetype split = text.lastIndexOf(NameAddressSeparator);
        const QString name = split < 0 ? text : text.left(split);
        const QString address = split < 0 ? QString() : text.mid(split + NameAddressSeparator.size());
        items.append(new QTreeWidgetItem(QStringList { name, address }));
    }
    ListRemotes->addTopLevelItems(items);
    ListRemotes->resizeColumnToContents(0);
}

void TFormRemotes::Execute(const QStringList& lines)
{
    Fill(lines);
    exec();
}

void TFormRemotes::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
}
