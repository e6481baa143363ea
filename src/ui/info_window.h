#pragma once
// The info window: a small panel beside the main window that sums up the queue, and tells about
// the scene or computer under the mouse.

#include <QHash>
#include <QStringList>
#include <QTimer>
#include <QWidget>

class QFormLayout;
class QLabel;
class QTabWidget;
class TComputer;
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

    // 1 scenes, 2 computers, 3 events: shows that view's pages and the page last chosen in it.
    void SelectView(int view);
    void ShowScene(const TScene& scene, const QString& contentDirectory);
    // `crashNote`: what TComputer::CrashWatchNote says about the node.
    void ShowComputer(const TComputer& computer, const QString& crashNote);
    void ShowSummary(const TFarm& farm, int idleSeconds, int idleMaximum);

    int View() const { return FView; }
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
    QLabel* FWarning;
    TIdleBars* FIdleBars;
    QTimer FBlinkTimer;
    bool FBlinkDark = false;
    QHash<QString, QLabel*> FValues;
    int FView = 1;
    int FRemembered[4] = { 0, 0, 0, 0 };
    bool FSwitching = false;
    // The summary's count of computers, for the scene's estimate of the time left.
    int FProcessors = 1;
};
