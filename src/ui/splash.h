#pragma once
// The splash window: shown while the program starts, and as the About box.

#include <QDialog>
#include <QIcon>
#include <QTimer>

class QLabel;

// The name of this build, shown after the version.
inline const QString BuildNickname = QStringLiteral("Windhover");

// Makes the embedded pictures (":/splash.jpg", ":/kestrion.png", ":/kestrion64.png") readable;
// they live in a static library, and nothing else would pull them into the program.
void LoadPictures();
// The window icon of every window of ours.
QIcon KestrionIcon();

// "v4.0 " and the nickname.
QString VersionLabelText();

class TFormSplash : public QDialog
{
    Q_OBJECT
public:
    explicit TFormSplash(QWidget* parent = nullptr);

    // Modal; closes itself after five seconds, on any key or on a click.
    void ShowSplash();
    // Shows it without waiting, as at start-up; it still closes itself.
    void ShowModeless();

    QTimer& CloseTimer() { return FTimer; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* FPicture;
    QLabel* FVersion;
    QTimer FTimer;
};
