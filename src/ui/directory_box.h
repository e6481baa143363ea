#pragma once
// The directory picker: a drive (mounted volume) and a directory tree below it.

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

class TFormDirectory : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDirectory(QWidget* parent = nullptr);

    // Starts at `directory` when it exists; true and the chosen directory when closed with Ok.
    bool Choose(QString& directory);
    // The directory list's current directory (the drive's root when none is marked).
    QString CurrentDirectory() const;
    // Shows the volume holding `directory` and marks the directory.
    void SetDirectory(const QString& directory);

    QLabel* LabelDirectory;
    QTreeView* DirectoryListBox;
    QLabel* LabelDrive;
    QComboBox* DriveComboBox;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillDrives();
    void ShowDrive(int index);

    QFileSystemModel* FModel;
};
