#include "ui/directory_box.h"

#include "ui/dialog_buttons.h"
#include "ui/look.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

TFormDirectory::TFormDirectory(QWidget* parent)
    : QDialog(parent)
    , LabelDirectory(new QLabel(QStringLiteral("Directory"), this))
    , DirectoryListBox(new QTreeView(this))
    , LabelDrive(new QLabel(QStringLiteral("Drive"), this))
    , DriveComboBox(new QComboBox(this))
    , ButtonOk(new QPushButton(QStringLiteral("Ok"), this))
    , ButtonCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , FModel(new QFileSystemModel(this))
{
    setWindowTitle(QStringLiteral("Choose a directory..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    DirectoryListBox->setModel(FModel);
    for (int column = 1; column < FModel->columnCount(); ++column)
        DirectoryListBox->hideColumn(column);
    DirectoryListBox->header()->hide();
    DirectoryListBox->setMinimumSize(320, 280);

    auto* buttons = new QHBoxLayout;
    PlaceOkCancel(*this, *buttons, ButtonOk, ButtonCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelDirectory);
    layout->addWidget(DirectoryListBox, 1);
    layout->addWidget(LabelDrive);
    layout->addWidget(DriveComboBox);
    layout->addLayout(buttons);

    FillDrives();
    connect(DriveComboBox, &QComboBox::activated, this, &TFormDirectory::ShowDrive);
    if (DriveComboBox->count() > 0)
        ShowDrive(0);
}

void TFormDirectory::FillDrives()
{
    DriveComboBox->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady())
            DriveComboBox->addItem(QDir::toNativeSeparators(volume.rootPath()), volume.rootPath());
    }
}

void TFormDirectory::ShowDrive(int index)
{
    const QString root = DriveComboBox->itemData(index).toString();
    if (root.isEmpty())
        return;
    DriveComboBox->setCurrentIndex(index);
    FModel->setRootPath(root);
    const QModelIndex rootIndex = FModel->index(root);
    DirectoryListBox->setRootIndex(rootIndex);
    DirectoryListBox->setCurrentIndex(QModelIndex());
}

void TFormDirectory::SetDirectory(const QString& directory)
{
    const QString path = QFileInfo(directory).absoluteFilePath();
    const QString root = QStorageInfo(path).rootPath();
    int drive = DriveComboBox->findData(root);
    if (drive < 0) {
        DriveComboBox->addItem(QDir::toNativeSeparators(root), root);
        drive = DriveComboBox->count() - 1;
    }
    ShowDrive(drive);
    const QModelIndex index = FModel->index(path);
    if (index.isValid()) {
        DirectoryListBox->setCurrentIndex(index);
        DirectoryListBox->scrollTo(index);
    }
}

QString TFormDirectory::CurrentDirectory() const
{
    const QModelIndex index = DirectoryListBox->currentIndex();
    if (index.isValid())
        return FModel->filePath(index);
    return DriveComboBox->currentData().toString();
}

bool TFormDirectory::Choose(QString& directory)
{
    if (!directory.isEmpty() && QFileInfo(directory).isDir())
        SetDirectory(directory);
    if (exec() != QDialog::Accepted)
        return false;
    directory = CurrentDirectory();
    return true;
}

void TFormDirectory::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
    DirectoryListBox->setFocus();
}
