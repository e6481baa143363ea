#include "ui/frame_manager.h"

#include "farm/farm.h"
#include "farm/scene_commands.h"
#include "model/scene_list.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"
#include "ui/directory_box.h"
#include "ui/look.h"
#include "ui/progress_box.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QStringListModel>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString DeleteFramesQuestion = QStringLiteral("Are you sure you want to delete the selected frames?");
const QString NoFramesText = QStringLiteral("No rendered frames found...");

// The progress box as the frame operations see it. Events are handled between frames so that
// Cancel is heard; the operations therefore work on a copy of the scene, which a tick in
// between cannot take away.
class TBoxProgress : public TFrameProgress
{
public:
    explicit TBoxProgress(TFormProgress& box)
        : FBox(box)
    { }
    void Start(const QString& messageText, int minimum, int maximum) override
    {
        FBox.MessageText = messageText;
        FBox.ShowProgress();
        FBox.Minimum = minimum;
        FBox.Maximum = maximum;
    }
    bool Step(int position) override
    {
        QCoreApplication::processEvents();
        if (FBox.Cancelled)
            return false;
        FBox.SetProgress(position);
        FBox.repaint();
        return true;
    }
    void Finish() override
    {
        if (FBox.isVisible())
            FBox.close();
    }

private:
    TFormProgress& FBox;
};

QString OperationFailedText(TFrameOperation operation, int failed, const QString& directory)
{
    if (operation == TFrameOperation::Delete)
        return QStringLiteral("%1 frame files could not be deleted; check that their directory may be "
                              "written.")
            .arg(failed);
    return QStringLiteral("%1 frame files could not be %2 %3; check that the directory is there, may be "
                          "written and has room, and that no file of the same name is in the way.")
        .arg(failed)
        .arg(operation == TFrameOperation::Copy ? QStringLiteral("copied to") : QStringLiteral("moved to"))
        .arg(directory);
}

} // namespace

TFormScenesFrames::TFormScenesFrames(TFarm& farm, QWidget* parent)
    : QDialog(parent)
    , LabelSceneName(new QLabel(this))
    , LabelProblem(new QLabel(this))
    , CheckBoxImages(new QCheckBox(QStringLiteral("Select images"), this))
    , CheckBoxAlphas(new QCheckBox(QStringLiteral("Select alpha's"), this))
    , ListBoxFrames(new QListView(this))
    , PanelNoFrames(new QLabel(NoFramesText, this))
    , ButtonSelectAll(new QPushButton(QStringLiteral("Select All"), this))
    , ButtonSelectNone(new QPushButton(QStringLiteral("Select None"), this))
    , ButtonQuit(new QPushButton(QStringLiteral("&Quit"), this))
    , ButtonUpdate(new QPushButton(QStringLiteral("&Update"), this))
    , ButtonDelete(new QPushButton(QStringLiteral("&Delete"), this))
    , ButtonCopy(new QPushButton(QStringLiteral("&Copy"), this))
    , ButtonMove(new QPushButton(QStringLiteral("&Move"), this))
    , StatusBar(new QStatusBar(this))
    , FormDirectory(new TFormDirectory(this))
    , FormProgress(new TFormProgress(this))
    , FFarm(farm)
    , FModel(new QStringListModel(this))
{
    setWindowTitle(QStringLiteral("Frame Manager"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(560, 420);

    CheckBoxImages->setChecked(true);
    CheckBoxAlphas->setChecked(true);
    ListBoxFrames->setModel(FModel);
    ListBoxFrames->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBoxFrames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Columns, top to bottom then left to right, as many as fit.
    ListBoxFrames->setFlow(QListView::TopToBottom);
    ListBoxFrames->setWrapping(true);
    ListBoxFrames->setResizeMode(QListView::Adjust);
    ListBoxFrames->setUniformItemSizes(true);
    PanelNoFrames->setAlignment(Qt::AlignCenter);
    PanelNoFrames->hide();
    LabelProblem->setWordWrap(true);
    LabelProblem->hide();

    auto* selection = new QHBoxLayout;
    selection->addWidget(CheckBoxImages);
    selection->addWidget(CheckBoxAlphas);
    selection->addStretch();
    selection->addWidget(ButtonSelectAll);
    selection->addWidget(ButtonSelectNone);
    auto* commands = new QHBoxLayout;
    for (QPushButton* button : { ButtonUpdate, ButtonDelete, ButtonCopy, ButtonMove })
        commands->addWidget(button);
    commands->addStretch();
    commands->addWidget(ButtonQuit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelSceneName);
    layout->addWidget(LabelProblem);
    layout->addLayout(selection);
    layout->addWidget(ListBoxFrames, 1);
    layout->addWidget(PanelNoFrames, 1);
    layout->addLayout(commands);
    layout->addWidget(StatusBar);
    // Wide enough for a seven-figure count, so the smallest window cuts no figure off.
    for (QLabel*& panel : FStatusPanels) {
        panel = new QLabel(StatusBar);
        panel->setMinimumWidth(
            panel->fontMetrics().horizontalAdvance(QStringLiteral("Frames rendered: 0000000")));
        StatusBar->addWidget(panel, 1);
    }
    // The status bar does not pass its panels' widths on: the window keeps room for them. Its
    // height is the layout's own minimum, so no control is ever squeezed over another.
    setMinimumWidth(std::max(416, 3 * FStatusPanels[0]->minimumWidth() + 48));
    StatusBar->setSizeGripEnabled(false);

    ChooseDirectory = [this](QString& directory) { return FormDirectory->Choose(directory); };
    connect(
        CheckBoxImages, &QCheckBox::toggled, this, [this] { KeepOneKind(CheckBoxImages, CheckBoxAlphas); });
    connect(
        CheckBoxAlphas, &QCheckBox::toggled, this, [this] { KeepOneKind(CheckBoxAlphas, CheckBoxImages); });
    connect(ListBoxFrames->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TFormScenesFrames::RefreshStatus);
    connect(ButtonSelectAll, &QPushButton::clicked, this, &TFormScenesFrames::SelectAll);
    connect(ButtonSelectNone, &QPushButton::clicked, this, &TFormScenesFrames::SelectNone);
    connect(ButtonQuit, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonUpdate, &QPushButton::clicked, this, &TFormScenesFrames::Update);
    connect(ButtonDelete, &QPushButton::clicked, this, &TFormScenesFrames::Delete);
    connect(ButtonCopy, &QPushButton::clicked, this, &TFormScenesFrames::Copy);
    connect(ButtonMove, &QPushButton::clicked, this, &TFormScenesFrames::Move);
}

void TFormScenesFrames::SetScene(int sceneID)
{
    FSceneID = sceneID;
    FGoneLogged = false;
    const TScene* scene = FFarm.Scenes.FindByID(sceneID);
    FSceneName = scene ? scene->Filename : QString();
}

void TFormScenesFrames::ShowFrames(int sceneID)
{
    SetScene(sceneID);
    exec();
}

const TScene* TFormScenesFrames::Scene()
{
    const TScene* scene = FFarm.Scenes.FindByID(FSceneID);
    if (!scene && !FGoneLogged) {
        FGoneLogged = true;
        FFarm.UserEvent(SceneEventFrameManager,
            QStringLiteral("%1 has left the queue; its frames were left alone").arg(FSceneName));
    }
    return scene;
}

void TFormScenesFrames::Update()
{
    FFrames.clear();
    const TScene* scene = Scene();
    QString problem;
    if (scene) {
        LabelSceneName->setText(ExtractName(scene->Filename));
        const TRenderedFrames rendered = RenderedFrames(*scene, FFarm.Options.ContentDirectory);
        FFrames = rendered.Frames;
        problem = OutputDirectoriesText(rendered);
    } else {
        LabelSceneName->setText(ExtractName(FSceneName));
        problem = QStringLiteral("This scene is no longer in the queue.");
    }
    for (QPushButton* button : { ButtonUpdate, ButtonDelete, ButtonCopy, ButtonMove })
        button->setEnabled(scene != nullptr);

    QStringList numbers;
    numbers.reserve(FFrames.size());
    for (const qint64 frame : std::as_const(FFrames))
        numbers << QString::number(frame);
    FModel->setStringList(numbers);
    LabelProblem->setText(problem);
    LabelProblem->setVisible(!problem.isEmpty());
    ListBoxFrames->setVisible(!FFrames.isEmpty());
    PanelNoFrames->setVisible(FFrames.isEmpty());
    SelectAll();
}

QList<qint64> TFormScenesFrames::SelectedFrames() const
{
    QModelIndexList rows = ListBoxFrames->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QList<qint64> frames;
    frames.reserve(rows.size());
    for (const QModelIndex& row : std::as_const(rows))
        frames << FFrames.value(row.row());
    return frames;
}

void TFormScenesFrames::SelectAll()
{
    ListBoxFrames->selectAll();
    RefreshStatus();
}

void TFormScenesFrames::SelectNone()
{
    ListBoxFrames->clearSelection();
    RefreshStatus();
}

QString TFormScenesFrames::StatusText(int panel) const
{
    return FStatusPanels.at(static_cast<size_t>(panel))->text();
}

void TFormScenesFrames::RefreshStatus()
{
    const TScene* scene = FFarm.Scenes.FindByID(FSceneID);
    FStatusPanels[0]->setText(
        QStringLiteral("Frames in scene: ") + (scene ? QString::number(scene->TotalFrames()) : QString()));
    FStatusPanels[1]->setText(QStringLiteral("Frames rendered: ") + QString::number(FFrames.size()));
    FStatusPanels[2]->setText(QStringLiteral("Frames selected: ")
        + QString::number(ListBoxFrames->selectionModel()->selectedRows().size()));
}

void TFormScenesFrames::KeepOneKind(QCheckBox* unchecked, QCheckBox* other)
{
    if (!unchecked->isChecked() && !other->isChecked())
        other->setChecked(true);
}

bool TFormScenesFrames::Operate(TFrameOperation operation, const QString& directory)
{
    const TScene* found = Scene();
    if (!found)
        return false;
    // A copy: the progress box lets ticks run, and one of them may free the queue's scene.
    const TScene scene = *found;
    const QList<qint64> frames = SelectedFrames();
    TBoxProgress progress(*FormProgress);
    TFramesResult total;
    FOperating = true;
    for (const auto& [box, kind] :
        { std::pair { CheckBoxImages, TFrameKind::RGB }, std::pair { CheckBoxAlphas, TFrameKind::Alpha } }) {
        if (!box->isChecked() || total.Cancelled)
            continue;
        const TFramesResult result = FramesFileOperation(
            scene, &frames, kind, directory, operation, FFarm.Options.ContentDirectory, &progress);
        total.Failed += result.Failed;
        total.Cancelled = result.Cancelled;
        total.Unreadable << result.Unreadable;
    }
    FOperating = false;
    QStringList problems;
    if (total.Failed > 0)
        problems << OperationFailedText(operation, total.Failed, directory);
    if (!total.Unreadable.isEmpty()) {
        TRenderedFrames unreadable;
        unreadable.Unreadable = total.Unreadable;
        unreadable.Unreadable.removeDuplicates();
        problems << OutputDirectoriesText(unreadable) + QStringLiteral(" Nothing in it was touched.");
    }
    if (!problems.isEmpty())
        FFarm.People.Ask(problems.join(u'\n'), false);
    return true;
}

void TFormScenesFrames::Delete()
{
    if (FOperating || !FFarm.People.Ask(DeleteFramesQuestion, true))
        return;
    Operate(TFrameOperation::Delete, QString());
    Update();
}

void TFormScenesFrames::CopyOrMove(TFrameOperation operation)
{
    QString directory = FormDirectory->CurrentDirectory();
    if (FOperating || !ChooseDirectory(directory))
        return;
    if (Operate(operation, directory) && operation == TFrameOperation::Copy)
        return;
    Update();
}

void TFormScenesFrames::Copy()
{
    CopyOrMove(TFrameOperation::Copy);
}

void TFormScenesFrames::Move()
{
    CopyOrMove(TFrameOperation::Move);
}

void TFormScenesFrames::FitColumns()
{
    const QFontMetrics metrics(ListBoxFrames->font());
    ListBoxFrames->setGridSize(
        QSize(metrics.horizontalAdvance(QStringLiteral("00000")) + 12, metrics.height() + 4));
}

void TFormScenesFrames::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    FitColumns();
    Update();
    QDialog::showEvent(event);
}
