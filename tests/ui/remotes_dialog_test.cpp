#include "ui/remotes_dialog.h"

#include "ui/look.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// Each row as "name|address".
QStringList Rows(const TFormRemotes& dialog)
{
    QStringList rows;
    for (int row = 0; row < dialog.ListRemotes->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = dialog.ListRemotes->topLevelItem(row);
        rows << item->text(0) + u'|' + item->text(1);
    }
    return rows;
}

} // namespace

TEST(RemotesDialog, ShowsNameAndAddressOfEachLineModallyAndAgainFromScratch)
{
    TFormRemotes dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Remote Kestrions "));
    EXPECT_EQ(dialog.LabelRemotes->text(), QStringLiteral("Host name and IP address  "));
    EXPECT_EQ(dialog.ButtonOk->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(dialog.ButtonCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(dialog.ListRemotes->selectionMode(), QAbstractItemView::ExtendedSelection);

    QStringList shown;
    bool modal = false;
    QTimer::singleShot(0, &dialog, [&] {
        modal = dialog.isModal() && dialog.isVisible();
        shown = Rows(dialog);
        dialog.ListRemotes->selectAll();
        dialog.ButtonOk->click();
    });
    // A name holding the separator keeps it: the address follows the last one. A line without
    // one is all name, and a line break in a name never makes a second row.
    dialog.Execute(
        { QStringLiteral("render-07 - 192.168.1.7"), QStringLiteral("Studio - B - ::ffff:10.0.0.3"),
            QStringLiteral("lonely"), QStringLiteral("two\nlines - fd00::7") });
    EXPECT_TRUE(modal);
    EXPECT_EQ(shown,
        (QStringList { QStringLiteral("render-07|192.168.1.7"), QStringLiteral("Studio - B|::ffff:10.0.0.3"),
            QStringLiteral("lonely|"), QStringLiteral("two lines|fd00::7") }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    QTimer::singleShot(0, &dialog, [&] {
        shown = Rows(dialog);
        dialog.ButtonCancel->click();
    });
    dialog.Execute({ QStringLiteral("office - 10.0.0.9") });
    EXPECT_EQ(shown, QStringList { QStringLiteral("office|10.0.0.9") });
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(RemotesDialog, TakesTheColourSchemeAndFitsTheLongestName)
{
    SetLookColor(ColorRef(40, 80, 120));
    TFormRemotes dialog;
    QDialog reference;
    ApplyLook(&reference);
    const QString name = QStringLiteral("a-rather-long-host-name.render.example.org");
    dialog.Fill({ name + QStringLiteral(" - 10.0.0.1") });
    dialog.show();
    EXPECT_EQ(dialog.palette().color(QPalette::Window), reference.palette().color(QPalette::Window));
    EXPECT_GE(dialog.ListRemotes->columnWidth(0), dialog.ListRemotes->fontMetrics().horizontalAdvance(name));
    dialog.hide();
}
