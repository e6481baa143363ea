#pragma once
// The screamers dialog: the numbers of the farm's screamers, chosen one by one or by named
// group, for a scene's "selected Screamers only" and for starting nodes of other computers.

#include <QDialog>

class QListWidget;
class QPushButton;
class TFarm;

class TFormScreamers : public QDialog
{
    Q_OBJECT
public:
    explicit TFormScreamers(TFarm& farm, QWidget* parent = nullptr);

    // The chosen numbers as a cleaned list, ascending; empty on Cancel (result() tells an OK
    // with nothing chosen from a Cancel).
    QString Execute(const QString& preselected);

    // The line of screamer number `index` + 1.
    QString ScreamerLine(int index) const;
    // The marked lines' numbers, ascending.
    QString SelectedNumbers() const;

    QListWidget* ListboxScreamers;
    QListWidget* ListBoxGroups;
    QPushButton* ButtonAddGroup;
    QPushButton* ButtonDeleteGroup;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Fill(const QString& preselected);
    void FillGroups();
    void Select(const QString& numbers);
    void GroupClicked();
    void AddGroupClick();
    void DeleteGroupClick();

    TFarm& FFarm;
};
