#pragma once
// The frame manager: which frames of one scene are on disk, and deleting, copying or moving
// their image and alpha files. It holds the scene's ID, not the scene: a tick may take the
// scene out of the queue while the window is open.

#include "model/frame_files.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QStatusBar;
class QStringListModel;
class TFarm;
class TFormDirectory;
class TFormProgress;

class TFormScenesFrames : public QDialog
{
    Q_OBJECT
public:
    explicit TFormScenesFrames(TFarm& farm, QWidget* parent = nullptr);

    // Shows the window for the scene, modally, until Quit.
    void ShowFrames(int sceneID);
    // Sets the scene without showing the window.
    void SetScene(int sceneID);

    void Update();
    void SelectAll();
    void SelectNone();
    void Delete();
    void Copy();
    void Move();

    QList<qint64> ListedFrames() const { return FFrames; }
    QList<qint64> SelectedFrames() const;
    QString StatusText(int panel) const;

    // The directory for Copy and Move; the directory picker unless a test puts its own.
    std::function<bool(QString&)> ChooseDirectory;

    QLabel* LabelSceneName;
    // What could not be read: a gone or unreadable output directory, a scene gone from the queue.
    QLabel* LabelProblem;
    QCheckBox* CheckBoxImages;
    QCheckBox* CheckBoxAlphas;
    QListView* ListBoxFrames;
    QLabel* PanelNoFrames;
    QPushButton* ButtonSelectAll;
    QPushButton* ButtonSelectNone;
    QPushButton* ButtonQuit;
    QPushButton* ButtonUpdate;
    QPushButton* ButtonDelete;
    QPushButton* ButtonCopy;
    QPushButton* ButtonMove;
    QStatusBar* StatusBar;
    TFormDirectory* FormDirectory;
    TFormProgress* FormProgress;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The scene as the queue holds it now; none (and an event, once) when it has gone.
    const TScene* Scene();
    void RefreshStatus();
    void FitColumns();
    void KeepOneKind(QCheckBox* unchecked, QCheckBox* other);
    void CopyOrMove(TFrameOperation operation);
    // Runs the operation on the selected frames' files of the checked kinds; false when the
    // scene has gone.
    bool Operate(TFrameOperation operation, const QString& directory);

    TFarm& FFarm;
    int FSceneID = -1;
    bool FGoneLogged = false;
    // An operation runs: the progress box lets clicks through, and one run at a time is enough.
    bool FOperating = false;
    QString FSceneName;
    QList<qint64> FFrames;
    QStringListModel* FModel;
    std::array<QLabel*, 3> FStatusPanels {};
};
