#pragma once
// The notification-area icon that stands in for the main window while it is hidden.

#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;

class TTrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TTrayIcon(QObject* parent = nullptr);
    ~TTrayIcon() override;

    static bool Available();

    void Show();
    void Hide();
    bool Visible() const;

    // The start entry: its caption, whether it can be chosen, and the screamer position it starts.
    void SetStartEntry(const QString& caption, bool enabled, int tag);
    QMenu* Menu() const { return FMenu; }
    QAction* StartEntry() const { return FStart; }

Q_SIGNALS:
    void AddScene();
    void StartScreamer(int tag);
    void Maximize();
    void CloseRequested();

private:
    QMenu* FMenu;
    QAction* FStart;
    QSystemTrayIcon* FIcon;
    int FStartTag = 0;
};
