#pragma once
// The info window: a small panel beside the main window that sums up the queue, and tells about
// the scene or computer under the mouse.

#include "support/people.h"

#include <QHash>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>

class QFormLayout;
class QLabel;
class QTabWidget;
class TComputer;
class TComputerList;
class TFarm;
class TIdleBars;
class TScene;

class TFormInfo : public QWidget
{
    Q_OBJECT
public:
    enum TPage
    {
        PageGeneral,
        PageScene,
        PageRender,
        PageCamera,
        PageOptions,
        PageData
    };

    explicit TFormInfo(QWidget* parent = nullptr);

    // Shows the view's pages and the page last chosen in it.
    void SelectView(TView view);
    // `computers` tell which nodes are on the scene, for the time left.
    void ShowScene(const TScene& scene, const QString& contentDirectory, const TComputerList& computers);
    // `crashNote`: what TComputer::CrashWatchNote says about the node.
    void ShowComputer(const TComputer& computer, const QString& crashNote);
    void ShowSummary(const TFarm& farm);
    // The idle time and its two bars.
    void ShowIdle(const TIdleFigures& figures);

    TView View() const { return FView; }
    TPage CurrentPage() const;
    // The captions of the tabs the current view shows, in order.
    QStringList VisiblePages() const;
    // The value shown beside a label of a page, as "Mode" or "Average time"; for tests and tools.
    QString Value(const QString& label) const;
    QString WarningText() const;

Q_SIGNALS:
    // The user closed the window with its own close button.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* AddPage(const QString& caption, const QStringList& labels);
    void SetValue(const QString& label, const QString& text);
    void SetWarning(const QString& text);
    void PageChanged(int index);
    void Blink();

    QTabWidget* FPages;
    QLabel* FWarningCaption;
    QLabel* FWarning;
    TIdleBars* FIdleBars;
    QTimer FBlinkTimer;
    bool FBlinkDark = false;
    QHash<QString, QLabel*> FValues;
    TView FView = TView::Scenes;
    std::array<int, 3> FRemembered {};
    bool FSwitching = false;
    // The summary's count of computers, for the scene's estimate of the time left.
};
