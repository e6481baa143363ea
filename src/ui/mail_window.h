#pragma once
// The "Communication" window: shows a mail on its way and closes itself when the mail has gone
// or failed. Cancel stops it at any time; the farm's timers go on while it is open.

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;
class TMailTransfer;
class TPanel;

class TFormMail : public QDialog
{
    Q_OBJECT
public:
    explicit TFormMail(QWidget* parent = nullptr);

    // Modal until the transfer finished or people cancelled it.
    void Watch(TMailTransfer& transfer);

    QLabel* LabelMessage;
    TPanel* PanelBottom;
    QPushButton* ButtonOk;
    // Looks at the transfer, whose thread cannot talk to the window itself.
    QTimer Timer;

protected:
    void showEvent(QShowEvent* event) override;
    // Cancel, Escape and the window's close button all stop the transfer.
    void reject() override;

private:
    void Poll();

    TMailTransfer* FTransfer = nullptr;
};
