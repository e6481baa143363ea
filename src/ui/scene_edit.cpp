#include "ui/scene_edit.h"

#include "farm/farm.h"
#include "farm/scene_commands.h"
#include "options/options.h"
#include "support/paths.h"
#include "support/people.h"
#include "ui/dialog_buttons.h"
#include "ui/help.h"
#include "ui/look.h"
#include "ui/screamers_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString NoScenesSelectedText = QStringLiteral("No Scenes are currently selected");
const QString HelpTopic = QStringLiteral("IDH_MenuScenesEdit");

// Ray trace effect bits.
constexpr int Shadows = 1;
constexpr int Reflection = 2;
constexpr int Refraction = 4;

QString YesNo(bool value)
{
    return value ? QStringLiteral("on") : QStringLiteral("off");
}

} // namespace

TFormSceneEdit::TFormSceneEdit(TOptions& options, TFormScreamers* screamers, QWidget* parent)
    : QDialog(parent)
    , Tabs(new QTabWidget(this))
    , ButtonOk(new QPushButton(QStringLiteral("Ok"), this))
    , ButtonCancel(new QPushButton(QStringLiteral("Cancel"), this))
    , ButtonHelp(new QPushButton(QStringLiteral("&Help"), this))
    , FOptions(options)
    , FScreamers(screamers)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    TabRender = BuildRender();
    TabCamera = BuildCamera();
    TabOptions = BuildOptions();
    Tabs->addTab(TabRender, QStringLiteral("Render"));
    Tabs->addTab(TabCamera, QStringLiteral("Camera"));
    Tabs->addTab(TabOptions, QStringLiteral("Options"));

    PlacePagesAndButtons(*this, Tabs, ButtonOk, ButtonCancel, ButtonHelp);
    ConnectRules();
    UpdateEnabling();
}

QWidget* TFormSceneEdit::BuildRender()
{
    auto* tab = new QWidget(this);
    auto* layout = new QGridLayout(tab);

    GroupOutput = new QGroupBox(QStringLiteral("Output"), tab);
    auto* output = new QGridLayout(GroupOutput);
    CheckBoxOutputRGB = new QCheckBox(QStringLiteral("  Save RGB"), GroupOutput);
    EditOutputPrfxRGB = new QLineEdit(GroupOutput);
    ButtonOutputRGB = DotsButton(GroupOutput);
    CheckBoxOutputAlpha = new QCheckBox(QStringLiteral("  Save Alpha"), GroupOutput);
    EditOutputPrfxAlpha = new QLineEdit(GroupOutput);
    ButtonOutputAlpha = DotsButton(GroupOutput);
    ComboBoxOutputFrmtOutput = new QComboBox(GroupOutput);
    ComboBoxOutputFrmtOutput->addItems({ QStringLiteral("Name001"), QStringLiteral("Name001.xxx"),
        QStringLiteral("Name0001"), QStringLiteral("Name0001.xxx") });
    ComboBoxOutputFrmtRGB = new QComboBox(GroupOutput);
    ComboBoxOutputFrmtAlpha = new QComboBox(GroupOutput);
    EditRenderDataOverlay = new QLineEdit(GroupOutput);
    output->addWidget(CheckBoxOutputRGB, 0, 0);
    output->addWidget(EditOutputPrfxRGB, 0, 1);
    output->addWidget(ButtonOutputRGB, 0, 2);
    output->addWidget(ComboBoxOutputFrmtRGB, 0, 3);
    output->addWidget(CheckBoxOutputAlpha, 1, 0);
    output->addWidget(EditOutputPrfxAlpha, 1, 1);
    output->addWidget(ButtonOutputAlpha, 1, 2);
    output->addWidget(ComboBoxOutputFrmtAlpha, 1, 3);
    output->addWidget(new QLabel(QStringLiteral("Filename format"), GroupOutput), 2, 0);
    output->addWidget(ComboBoxOutputFrmtOutput, 2, 1);
    output->addWidget(new QLabel(QStringLiteral("Data Overlay"), GroupOutput), 3, 0);
    output->addWidget(EditRenderDataOverlay, 3, 1, 1, 3);
    output->setColumnStretch(1, 1);
    layout->addWidget(GroupOutput, 0, 0, 1, 2);

    auto* mode = new QGroupBox(QStringLiteral("Render mode"), tab);
    auto* modes = new QGridLayout(mode);
    RadioWireframe = new QRadioButton(QStringLiteral("  Wireframe"), mode);
    RadioQuickshade = new QRadioButton(QStringLiteral("  Quickshade"), mode);
    RadioRenderGL = new QRadioButton(QStringLiteral("  Render GL"), mode);
    RadioRaytrace = new QRadioButton(QStringLiteral("  Raytrace"), mode);
    CheckBoxShadows = new QCheckBox(QStringLiteral("  Shadows"), mode);
    CheckBoxReflection = new QCheckBox(QStringLiteral("  Reflection"), mode);
    CheckBoxRefraction = new QCheckBox(QStringLiteral("  Refraction"), mode);
    EditRenderModeRecursion = new QLineEdit(mode);
    modes->addWidget(RadioWireframe, 0, 0);
    modes->addWidget(RadioQuickshade, 1, 0);
    modes->addWidget(RadioRenderGL, 2, 0);
    modes->addWidget(RadioRaytrace, 3, 0);
    modes->addWidget(CheckBoxShadows, 0, 1);
    modes->addWidget(CheckBoxReflection, 1, 1);
    modes->addWidget(CheckBoxRefraction, 2, 1);
    modes->addWidget(new QLabel(QStringLiteral("Ray Recursion Limit"), mode), 3, 1);
    modes->addWidget(EditRenderModeRecursion, 3, 2);
    layout->addWidget(mode, 1, 0, 1, 2);

    GroupRange = new QGroupBox(QStringLiteral("Frames"), tab);
    auto* range = new QGridLayout(GroupRange);
    CheckBoxRange = new QCheckBox(QStringLiteral("  Range"), GroupRange);
    EditFirst = new QLineEdit(GroupRange);
    EditLast = new QLineEdit(GroupRange);
    EditStep = new QLineEdit(GroupRange);
    LabelOriginal = new QLabel(GroupRange);
    ButtonOriginal = new QPushButton(QStringLiteral("Original"), GroupRange);
    range->addWidget(CheckBoxRange, 0, 0);
    range->addWidget(new QLabel(QStringLiteral("First"), GroupRange), 0, 1);
    range->addWidget(EditFirst, 0, 2);
    range->addWidget(new QLabel(QStringLiteral("Last"), GroupRange), 0, 3);
    range->addWidget(EditLast, 0, 4);
    range->addWidget(new QLabel(QStringLiteral("Step"), GroupRange), 0, 5);
    range->addWidget(EditStep, 0, 6);
    range->addWidget(ButtonOriginal, 1, 0);
    range->addWidget(LabelOriginal, 1, 1, 1, 6);
    layout->addWidget(GroupRange, 2, 0, 1, 2);

    GroupSingles = new QGroupBox(QStringLiteral("Singles"), tab);
    auto* singles = new QHBoxLayout(GroupSingles);
    CheckBoxSingles = new QCheckBox(QStringLiteral("  Singles"), GroupSingles);
    EditSinglesList = new QLineEdit(GroupSingles);
    singles->addWidget(CheckBoxSingles);
    singles->addWidget(EditSinglesList, 1);
    layout->addWidget(GroupSingles, 3, 0);

    GroupMissing = new QGroupBox(QStringLiteral("Render again"), tab);
    auto* missing = new QHBoxLayout(GroupMissing);
    EditFramesMissing = new QLineEdit(GroupMissing);
    missing->addWidget(EditFramesMissing);
    layout->addWidget(GroupMissing, 3, 1);
    layout->setRowStretch(4, 1);
    return tab;
}

QWidget* TFormSceneEdit::BuildCamera()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    LabelCamera = new QLabel(tab);
    LabelCamera->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(LabelCamera);
    layout->addStretch();
    return tab;
}

QWidget* TFormSceneEdit::BuildOptions()
{
    auto* tab = new QWidget(this);
    auto* layout = new QGridLayout(tab);

    auto* platform = new QGroupBox(QStringLiteral("Platform"), tab);
    auto* platforms = new QVBoxLayout(platform);
    CheckBoxIntel = new QCheckBox(QStringLiteral(" Intel"), platform);
    CheckBoxAlpha = new QCheckBox(QStringLiteral(" Alpha"), platform);
    CheckBoxSilicon = new QCheckBox(QStringLiteral(" Silicon"), platform);
    CheckBoxMacintosh = new QCheckBox(QStringLiteral(" Macintosh"), platform);
    for (QCheckBox* box : { CheckBoxIntel, CheckBoxAlpha, CheckBoxSilicon, CheckBoxMacintosh })
        platforms->addWidget(box);
    layout->addWidget(platform, 0, 0);

    auto* priority = new QGroupBox(QStringLiteral("Priority"), tab);
    auto* priorities = new QVBoxLayout(priority);
    RadioTop = new QRadioButton(QStringLiteral(" Top"), priority);
    RadioHigh = new QRadioButton(QStringLiteral(" High"), priority);
    RadioNormal = new QRadioButton(QStringLiteral(" Normal"), priority);
    RadioLow = new QRadioButton(QStringLiteral(" Low"), priority);
    RadioNone = new QRadioButton(QStringLiteral(" None"), priority);
    for (QRadioButton* radio : { RadioTop, RadioHigh, RadioNormal, RadioLow, RadioNone })
        priorities->addWidget(radio);
    RadioNormal->setChecked(true);
    layout->addWidget(priority, 0, 1);

    auto* renderOn = new QGroupBox(QStringLiteral("Render on"), tab);
    auto* on = new QGridLayout(renderOn);
    const auto restriction = [&](int row, const QString& caption, QCheckBox*& box, QLineEdit*& edit) {
        box = new QCheckBox(caption, renderOn);
        edit = new QLineEdit(renderOn);
        on->addWidget(box, row, 0);
        on->addWidget(edit, row, 1);
    };
    restriction(0, QStringLiteral(" maximum ... computers"), CheckBoxRenderComputers, EditRenderComputers);
    restriction(1, QStringLiteral(" at most ... percent of the computers"), CheckBoxRenderPercentage,
        EditRenderPercentage);
    restriction(2, QStringLiteral(" selected Screamers only"), CheckBoxRenderSelected, EditRenderSelected);
    restriction(3, QStringLiteral(" only ... Screamers by multiprocessor computers"),
        CheckBoxRenderMultiprocessor, EditRenderMultiprocessor);
    restriction(4, QStringLiteral(" computers with at least ... MB of memory"), CheckBoxRenderMemory,
        EditRenderMemory);
    ButtonRenderSelected = DotsButton(renderOn);
    on->addWidget(ButtonRenderSelected, 2, 2);
    layout->addWidget(renderOn, 1, 0, 1, 2);

    auto* verify = new QGroupBox(QStringLiteral("Verify and copy"), tab);
    auto* checks = new QGridLayout(verify);
    CheckBoxVerify = new QCheckBox(QStringLiteral("  Verify scene up to ... times"), verify);
    EditAutomaticVerifyTimes = new QLineEdit(verify);
    CheckBoxCopy = new QCheckBox(QStringLiteral("  Copy/Import frames when rendered (and verified)"), verify);
    EditCopyComputer = new QLineEdit(verify);
    EditCopyDirectory = new QLineEdit(verify);
    ButtonCopyDirectory = DotsButton(verify);
    checks->addWidget(CheckBoxVerify, 0, 0);
    checks->addWidget(EditAutomaticVerifyTimes, 0, 1);
    checks->addWidget(CheckBoxCopy, 1, 0, 1, 3);
    checks->addWidget(new QLabel(QStringLiteral("Copy/Import computer"), verify), 2, 0);
    checks->addWidget(EditCopyComputer, 2, 1);
    checks->addWidget(new QLabel(QStringLiteral("Copy/Import direcory"), verify), 3, 0);
    checks->addWidget(EditCopyDirectory, 3, 1);
    checks->addWidget(ButtonCopyDirectory, 3, 2);
    layout->addWidget(verify, 2, 0, 1, 2);

    GroupLog = new QGroupBox(QStringLiteral("Log"), tab);
    auto* log = new QHBoxLayout(GroupLog);
    CheckBoxLog = new QCheckBox(QStringLiteral("  Log rendering in file"), GroupLog);
    EditLogFilename = new QLineEdit(GroupLog);
    ButtonLogFilename = DotsButton(GroupLog);
    log->addWidget(CheckBoxLog);
    log->addWidget(EditLogFilename, 1);
    log->addWidget(ButtonLogFilename);
    layout->addWidget(GroupLog, 3, 0, 1, 2);

    auto* content = new QGroupBox(QStringLiteral("Content Directory"), tab);
    auto* contents = new QHBoxLayout(content);
    EditContentDirectory = new QLineEdit(content);
    ButtonContentDirectory = DotsButton(content);
    contents->addWidget(EditContentDirectory, 1);
    contents->addWidget(ButtonContentDirectory);
    layout->addWidget(content, 4, 0, 1, 2);

    ButtonSaveDefault = new QPushButton(QStringLiteral("Save current options as default"), tab);
    layout->addWidget(ButtonSaveDefault, 5, 0, 1, 2, Qt::AlignLeft);
    layout->setRowStretch(6, 1);
    return tab;
}

void TFormSceneEdit::ConnectRules()
{
    for (QCheckBox* box :
        { CheckBoxRange, CheckBoxSingles, CheckBoxCopy, CheckBoxVerify, CheckBoxRenderComputers,
            CheckBoxRenderPercentage, CheckBoxRenderSelected, CheckBoxRenderMultiprocessor,
            CheckBoxRenderMemory, CheckBoxOutputRGB, CheckBoxOutputAlpha, CheckBoxLog })
        connect(box, &QCheckBox::toggled, this, &TFormSceneEdit::UpdateEnabling);
    // Frames are copied only once they are known to be there.
    connect(CheckBoxCopy, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            CheckBoxVerify->setChecked(true);
    });
    connect(ButtonOriginal, &QPushButton::clicked, this, [this] {
        EditFirst->setText(QString::number(FOriginal.OriginalFirst));
        EditLast->setText(QString::number(FOriginal.OriginalLast));
        EditStep->setText(QString::number(FOriginal.OriginalStep));
    });
    connect(ButtonOutputRGB, &QPushButton::clicked, this, [this] { ChoosePrefix(EditOutputPrfxRGB); });
    connect(ButtonOutputAlpha, &QPushButton::clicked, this, [this] { ChoosePrefix(EditOutputPrfxAlpha); });
    connect(ButtonCopyDirectory, &QPushButton::clicked, this, [this] { ChooseDirectory(EditCopyDirectory); });
    connect(ButtonContentDirectory, &QPushButton::clicked, this,
        [this] { ChooseDirectory(EditContentDirectory); });
    connect(ButtonLogFilename, &QPushButton::clicked, this, &TFormSceneEdit::ChooseLogFile);
    connect(ButtonRenderSelected, &QPushButton::clicked, this, &TFormSceneEdit::ChooseScreamers);
    connect(ButtonSaveDefault, &QPushButton::clicked, this, [this] { SaveEditAsDefault(FOptions, Edit()); });
    connect(ButtonHelp, &QPushButton::clicked, this, [] { OpenHelp(HelpTopic); });
}

void TFormSceneEdit::UpdateEnabling()
{
    const bool range = CheckBoxRange->isChecked();
    for (QLineEdit* edit : { EditFirst, EditLast, EditStep })
        edit->setEnabled(range);
    EditSinglesList->setEnabled(CheckBoxSingles->isChecked());
    const bool copy = CheckBoxCopy->isChecked();
    EditCopyComputer->setEnabled(copy);
    EditCopyDirectory->setEnabled(copy);
    ButtonCopyDirectory->setEnabled(copy);
    EditAutomaticVerifyTimes->setEnabled(CheckBoxVerify->isChecked());
    EditRenderComputers->setEnabled(CheckBoxRenderComputers->isChecked());
    EditRenderPercentage->setEnabled(CheckBoxRenderPercentage->isChecked());
    EditRenderSelected->setEnabled(CheckBoxRenderSelected->isChecked());
    ButtonRenderSelected->setEnabled(CheckBoxRenderSelected->isChecked() && FScreamers);
    EditRenderMultiprocessor->setEnabled(CheckBoxRenderMultiprocessor->isChecked());
    EditRenderMemory->setEnabled(CheckBoxRenderMemory->isChecked());
    for (QWidget* widget :
        { static_cast<QWidget*>(EditOutputPrfxRGB), static_cast<QWidget*>(ButtonOutputRGB) })
        widget->setEnabled(CheckBoxOutputRGB->isChecked());
    for (QWidget* widget :
        { static_cast<QWidget*>(EditOutputPrfxAlpha), static_cast<QWidget*>(ButtonOutputAlpha) })
        widget->setEnabled(CheckBoxOutputAlpha->isChecked());
    EditLogFilename->setEnabled(CheckBoxLog->isChecked());
    ButtonLogFilename->setEnabled(CheckBoxLog->isChecked());
}

void TFormSceneEdit::ShowSaver(QComboBox* box, const QString& saver)
{
    box->clear();
    box->addItems(FOptions.ImageSavers);
    // A saver this installation does not list is kept as the scene has it.
    if (!saver.isEmpty() && !FOptions.ImageSavers.contains(saver))
        box->addItem(saver);
    box->setCurrentIndex(box->findText(saver));
}

void TFormSceneEdit::ShowCamera(const TSceneData& data)
{
    QStringList lines;
    lines
        << QStringLiteral("Resolution: %1").arg(data.Resolution)
        << QStringLiteral("Pixel aspect ratio: %1").arg(data.PixelAspectRatio)
        << QStringLiteral("Limited region: %1").arg(YesNo(data.LimitedRegion))
        << QStringLiteral("Custom size: %1 (%2 x %3)")
               .arg(YesNo(data.CustomSize))
               .arg(data.CustomWidth)
               .arg(data.CustomHeight)
        << QStringLiteral("Antialiasing: %1, enhanced %2").arg(data.Antialiasing).arg(YesNo(data.EnhancedAA))
        << QStringLiteral("Adaptive sampling: %1, threshold %2")
               .arg(YesNo(data.AdaptiveSampling))
               .arg(data.AdaptiveThreshold)
        << QStringLiteral("Field rendering: %1").arg(YesNo(data.FieldRendering))
        << QStringLiteral("Motion blur: %1").arg(data.MotionBlur)
        << QStringLiteral("Stereoscopic: %1").arg(YesNo(data.Stereoscopic));
    LabelCamera->setText(lines.join(u'\n'));
}

void TFormSceneEdit::ShowScene(const TScene& scene, bool perScene)
{
    const TSceneEdit edit = SceneEditOf(scene);
    FOriginal = scene.Data;
    FPerScene = perScene;
    FShown = edit;
    CheckBoxOutputRGB->setChecked(edit.SaveRGB);
    EditOutputPrfxRGB->setText(edit.RGBPrefix);
    CheckBoxOutputAlpha->setChecked(edit.SaveAlpha);
    EditOutputPrfxAlpha->setText(edit.AlphaPrefix);
    ComboBoxOutputFrmtOutput->setCurrentIndex(edit.OutputFilenameFormat);
    ShowSaver(ComboBoxOutputFrmtRGB, edit.RGBImageSaver);
    ShowSaver(ComboBoxOutputFrmtAlpha, edit.AlphaImageSaver);
    EditRenderDataOverlay->setText(edit.DataOverlayLabel);
    RadioWireframe->setChecked(edit.RenderMode == 0);
    RadioQuickshade->setChecked(edit.RenderMode == 1);
    RadioRaytrace->setChecked(edit.RenderMode == 2);
    RadioRenderGL->setChecked(edit.RenderMode == 3);
    CheckBoxShadows->setChecked(edit.RayTraceEffects & Shadows);
    CheckBoxReflection->setChecked(edit.RayTraceEffects & Reflection);
    CheckBoxRefraction->setChecked(edit.RayTraceEffects & Refraction);
    EditRenderModeRecursion->setText(edit.RayRecursionLimit);
    CheckBoxRange->setChecked(edit.Range);
    EditFirst->setText(edit.First);
    EditLast->setText(edit.Last);
    EditStep->setText(edit.Step);
    LabelOriginal->setText(QStringLiteral("Original: %1 - %2 (%3)")
                               .arg(scene.Data.OriginalFirst)
                               .arg(scene.Data.OriginalLast)
                               .arg(scene.Data.OriginalStep));
    CheckBoxSingles->setChecked(edit.Singles);
    EditSinglesList->setText(edit.SinglesList);
    EditFramesMissing->setText(edit.MissingList);
    ShowCamera(scene.Data);

    CheckBoxIntel->setChecked(edit.Platforms & PlatformIntel);
    CheckBoxAlpha->setChecked(edit.Platforms & PlatformAlpha);
    CheckBoxSilicon->setChecked(edit.Platforms & PlatformSilicon);
    CheckBoxMacintosh->setChecked(edit.Platforms & PlatformMacintosh);
    CheckBoxRenderComputers->setChecked(edit.PlatformRenderComputers);
    EditRenderComputers->setText(edit.PlatformRenderComputersValue);
    CheckBoxRenderPercentage->setChecked(edit.PlatformRenderPercentage);
    EditRenderPercentage->setText(edit.PlatformRenderPercentageValue);
    CheckBoxRenderSelected->setChecked(edit.PlatformRenderSelected);
    EditRenderSelected->setText(edit.PlatformRenderSelectedValue);
    CheckBoxRenderMultiprocessor->setChecked(edit.PlatformRenderMultiprocessor);
    EditRenderMultiprocessor->setText(edit.PlatformRenderMultiprocessorValue);
    CheckBoxRenderMemory->setChecked(edit.PlatformRenderMemory);
    EditRenderMemory->setText(edit.PlatformRenderMemoryValue);
    CheckBoxVerify->setChecked(edit.AutomaticVerify);
    EditAutomaticVerifyTimes->setText(edit.AutomaticVerifyTimes);
    CheckBoxCopy->setChecked(edit.AutomaticCopy);
    EditCopyComputer->setText(edit.AutomaticCopyComputer);
    EditCopyDirectory->setText(edit.AutomaticCopyDirectory);
    CheckBoxLog->setChecked(edit.Log);
    EditLogFilename->setText(edit.LogFilename);
    EditContentDirectory->setText(edit.ContentDirectory);
    RadioTop->setChecked(edit.Priority == 4);
    RadioHigh->setChecked(edit.Priority == 3);
    RadioNormal->setChecked(edit.Priority == 2);
    RadioLow->setChecked(edit.Priority == 1);
    RadioNone->setChecked(edit.Priority == 0);

    for (QWidget* panel : { static_cast<QWidget*>(GroupOutput), static_cast<QWidget*>(GroupRange),
             static_cast<QWidget*>(GroupSingles), static_cast<QWidget*>(GroupMissing),
             static_cast<QWidget*>(GroupLog) })
        panel->setVisible(perScene);
    UpdateEnabling();
}

TSceneEdit TFormSceneEdit::Edit() const
{
    TSceneEdit edit;
    edit.PerScene = FPerScene;
    edit.Range = CheckBoxRange->isChecked();
    edit.First = EditFirst->text();
    edit.Last = EditLast->text();
    edit.Step = EditStep->text();
    edit.Singles = CheckBoxSingles->isChecked();
    edit.SinglesList = EditSinglesList->text();
    edit.MissingList = EditFramesMissing->text();
    edit.SaveRGB = CheckBoxOutputRGB->isChecked();
    edit.RGBPrefix = EditOutputPrfxRGB->text();
    edit.SaveAlpha = CheckBoxOutputAlpha->isChecked();
    edit.AlphaPrefix = EditOutputPrfxAlpha->text();
    edit.OutputFilenameFormat = ComboBoxOutputFrmtOutput->currentIndex() < 0
        ? FShown.OutputFilenameFormat
        : ComboBoxOutputFrmtOutput->currentIndex();
    edit.RGBImageSaver = ComboBoxOutputFrmtRGB->currentText();
    edit.AlphaImageSaver = ComboBoxOutputFrmtAlpha->currentText();
    edit.DataOverlayLabel = EditRenderDataOverlay->text();
    edit.Log = CheckBoxLog->isChecked();
    edit.LogFilename = EditLogFilename->text();
    // A code the dialog has no button for stays as the scene has it.
    edit.RenderMode = RadioWireframe->isChecked() ? 0
        : RadioQuickshade->isChecked()            ? 1
        : RadioRaytrace->isChecked()              ? 2
        : RadioRenderGL->isChecked()              ? 3
                                                  : FShown.RenderMode;
    edit.RayTraceEffects = (CheckBoxShadows->isChecked() ? Shadows : 0)
        | (CheckBoxReflection->isChecked() ? Reflection : 0)
        | (CheckBoxRefraction->isChecked() ? Refraction : 0);
    edit.RayRecursionLimit = EditRenderModeRecursion->text();
    edit.Priority = RadioTop->isChecked() ? 4
        : RadioHigh->isChecked()          ? 3
        : RadioLow->isChecked()           ? 1
        : RadioNone->isChecked()          ? 0
                                          : 2;
    edit.Platforms = (CheckBoxIntel->isChecked() ? PlatformIntel : 0)
        | (CheckBoxAlpha->isChecked() ? PlatformAlpha : 0)
        | (CheckBoxSilicon->isChecked() ? PlatformSilicon : 0)
        | (CheckBoxMacintosh->isChecked() ? PlatformMacintosh : 0);
    edit.PlatformRenderComputers = CheckBoxRenderComputers->isChecked();
    edit.PlatformRenderComputersValue = EditRenderComputers->text();
    edit.PlatformRenderPercentage = CheckBoxRenderPercentage->isChecked();
    edit.PlatformRenderPercentageValue = EditRenderPercentage->text();
    edit.PlatformRenderSelected = CheckBoxRenderSelected->isChecked();
    edit.PlatformRenderSelectedValue = EditRenderSelected->text();
    edit.PlatformRenderMultiprocessor = CheckBoxRenderMultiprocessor->isChecked();
    edit.PlatformRenderMultiprocessorValue = EditRenderMultiprocessor->text();
    edit.PlatformRenderMemory = CheckBoxRenderMemory->isChecked();
    edit.PlatformRenderMemoryValue = EditRenderMemory->text();
    edit.AutomaticVerify = CheckBoxVerify->isChecked();
    edit.AutomaticVerifyTimes = EditAutomaticVerifyTimes->text();
    edit.AutomaticCopy = CheckBoxCopy->isChecked();
    edit.AutomaticCopyComputer = EditCopyComputer->text();
    edit.AutomaticCopyDirectory = EditCopyDirectory->text();
    edit.ContentDirectory = EditContentDirectory->text();
    return edit;
}

// Tinted each time it shows, as every window is, so a changed colour reaches it.
void TFormSceneEdit::ChooseScreamers()
{
    if (!FScreamers)
        return;
    const QString numbers = FScreamers->Execute(EditRenderSelected->text());
    if (FScreamers->result() == QDialog::Accepted)
        EditRenderSelected->setText(numbers);
}

void TFormSceneEdit::showEvent(QShowEvent* event)
{
    ApplyLook(this);
    QDialog::showEvent(event);
}

bool TFormSceneEdit::EditScenes(TFarm& farm)
{
    QList<int> ids;
    for (int index = 0; index < farm.Scenes.Count(); ++index)
        if (farm.Scenes.Item(index).Selected)
            ids << farm.Scenes.Item(index).ID;
    if (ids.isEmpty()) {
        farm.People.Ask(NoScenesSelectedText, false);
        return false;
    }
    const TScene& first = *farm.Scenes.FindByID(ids.front());
    const bool one = ids.size() == 1;
    setWindowTitle(one ? QStringLiteral("Edit: ") + ExtractName(first.Filename)
                       : QStringLiteral("Edit multiple scenes"));
    Tabs->setTabVisible(0, true);
    Tabs->setCurrentIndex(0);
    ShowScene(first, one);
    // Ticks run while the dialog is open: the farm finds the scenes again by their IDs.
    if (exec() != QDialog::Accepted)
        return false;
    return ::EditScenes(farm, ids, Edit());
}

bool TFormSceneEdit::EditInitialOptions(TScene& initial)
{
    setWindowTitle(QStringLiteral("Edit: ") + initial.Filename);
    ShowScene(initial, true);
    Tabs->setTabVisible(0, false);
    Tabs->setCurrentIndex(2);
    const bool accepted = exec() == QDialog::Accepted;
    if (accepted)
        ApplySceneEdit(initial, Edit(), 0);
    Tabs->setTabVisible(0, true);
    return accepted;
}

void TFormSceneEdit::ChooseDirectory(QLineEdit* edit)
{
    const QString directory = QFileDialog::getExistingDirectory(this, QString(), edit->text());
    if (!directory.isEmpty())
        edit->setText(directory);
}

void TFormSceneEdit::ChoosePrefix(QLineEdit* edit)
{
    const QString path = QFileDialog::getSaveFileName(this, QString(), edit->text());
    if (!path.isEmpty())
        edit->setText(path);
}

void TFormSceneEdit::ChooseLogFile()
{
    QString path = QFileDialog::getSaveFileName(
        this, QString(), EditLogFilename->text(), QStringLiteral("Log file (*.txt *.TXT)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".TXT");
    EditLogFilename->setText(path);
}
