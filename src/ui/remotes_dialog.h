#pragma once
// The overview of the Remotes connected to this Master over TCP/IP: one line per connection,
// its host name and address.

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;

class TFormRemotes : public QDialog
{
    Q_OBJECT
public:
    explicit TFormRemotes(QWidget* parent = nullptr);

    // Shows one line per text, each "host name - IP address", modally. The choice has no effect.
    void Execute(const QStringList& lines);
    // The list filled from such texts, without showing it.
    void Fill(const QStringList& lines);

    QLabel* LabelRemotes;
    QTreeWidget* ListRemotes; // columns: host name, IP address
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;
};
