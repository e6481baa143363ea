#pragma once
// The configuration check: what the options learned from LightWave's configuration files, so a
// wrong "ScreamerConfig" or "ConfigNumber" shows as a wrong directory or an empty saver list.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TOptions;

class TFormCheckConfig : public QDialog
{
    Q_OBJECT
public:
    explicit TFormCheckConfig(QWidget* parent = nullptr);

    // Shows the values as last read; LightWave's files are not read again.
    void ShowConfig(const TOptions& options);
    void Fill(const TOptions& options);

    QLabel* Label1;
    QLineEdit* EditContentDirectory;
    QListWidget* ListBoxExtensions;
    QPushButton* ButtonOk;

protected:
    void showEvent(QShowEvent* event) override;
};
