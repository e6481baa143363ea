#pragma once
// The scene edit dialog: the settings of the marked scenes, or the initial options new scenes
// receive. It holds scene IDs, never scenes: the farm looks each one up again on OK.

#include "farm/scene_operations.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TFarm;
class TFormScreamers;
class TOptions;

class TFormSceneEdit : public QDialog
{
    Q_OBJECT
public:
    // With `screamers`, the "..." beside "selected Screamers only" chooses the numbers in it.
    explicit TFormSceneEdit(TOptions& options, TFormScreamers* screamers = nullptr, QWidget* parent = nullptr);

    // The farm's Selected scenes; true when closed with OK and the edit was applied or sent.
    bool EditScenes(TFarm& farm);
    // The template of new scenes, changed in place; true on OK.
    bool EditInitialOptions(TScene& initial);

    // The fields from a scene; with `perScene` false the panels that belong to one scene hide.
    void ShowScene(const TScene& scene, bool perScene);
    // The fields as the farm's edit.
    TSceneEdit Edit() const;

    QTabWidget* Tabs;
    QWidget* TabRender;
    QWidget* TabCamera;
    QWidget* TabOptions;

    QGroupBox* GroupOutput;
    QCheckBox* CheckBoxOutputRGB;
    QLineEdit* EditOutputPrfxRGB;
    QPushButton* ButtonOutputRGB;
    QCheckBox* CheckBoxOutputAlpha;
    QLineEdit* EditOutputPrfxAlpha;
    QPushButton* ButtonOutputAlpha;
    QComboBox* ComboBoxOutputFrmtOutput;
    QComboBox* ComboBoxOutputFrmtRGB;
    QComboBox* ComboBoxOutputFrmtAlpha;
    QLineEdit* EditRenderDataOverlay;
    QRadioButton* RadioWireframe;
    QRadioButton* RadioQuickshade;
    QRadioButton* RadioRenderGL;
    QRadioButton* RadioRaytrace;
    QCheckBox* CheckBoxShadows;
    QCheckBox* CheckBoxReflection;
    QCheckBox* CheckBoxRefraction;
    QLineEdit* EditRenderModeRecursion;
    QGroupBox* GroupRange;
    QCheckBox* CheckBoxRange;
    QLineEdit* EditFirst;
    QLineEdit* EditLast;
    QLineEdit* EditStep;
    QLabel* LabelOriginal;
    QPushButton* ButtonOriginal;
    QGroupBox* GroupSingles;
    QCheckBox* CheckBoxSingles;
    QLineEdit* EditSinglesList;
    QGroupBox* GroupMissing;
    QLineEdit* EditFramesMissing;

    QLabel* LabelCamera;

    QCheckBox* CheckBoxIntel;
    QCheckBox* CheckBoxAlpha;
    QCheckBox* CheckBoxSilicon;
    QCheckBox* CheckBoxMacintosh;
    QCheckBox* CheckBoxRenderComputers;
    QLineEdit* EditRenderComputers;
    QCheckBox* CheckBoxRenderPercentage;
    QLineEdit* EditRenderPercentage;
    QCheckBox* CheckBoxRenderSelected;
    QLineEdit* EditRenderSelected;
    QPushButton* ButtonRenderSelected;
    QCheckBox* CheckBoxRenderMultiprocessor;
    QLineEdit* EditRenderMultiprocessor;
    QCheckBox* CheckBoxRenderMemory;
    QLineEdit* EditRenderMemory;
    QCheckBox* CheckBoxVerify;
    QLineEdit* EditAutomaticVerifyTimes;
    QCheckBox* CheckBoxCopy;
    QLineEdit* EditCopyComputer;
    QLineEdit* EditCopyDirectory;
    QPushButton* ButtonCopyDirectory;
    QGroupBox* GroupLog;
    QCheckBox* CheckBoxLog;
    QLineEdit* EditLogFilename;
    QPushButton* ButtonLogFilename;
    QLineEdit* EditContentDirectory;
    QPushButton* ButtonContentDirectory;
    QRadioButton* RadioTop;
    QRadioButton* RadioHigh;
    QRadioButton* RadioNormal;
    QRadioButton* RadioLow;
    QRadioButton* RadioNone;
    QPushButton* ButtonSaveDefault;

    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QPushButton* ButtonHelp;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* BuildRender();
    QWidget* BuildCamera();
    QWidget* BuildOptions();
    void ConnectRules();
    void UpdateEnabling();
    void ShowSaver(QComboBox* box, const QString& saver);
    void ShowCamera(const TSceneData& data);
    void ChooseDirectory(QLineEdit* edit);
    void ChoosePrefix(QLineEdit* edit);
    void ChooseLogFile();
    void ChooseScreamers();

    TOptions& FOptions;
    TFormScreamers* FScreamers;
    TSceneData FOriginal;
    bool FPerScene = true;
    TSceneEdit FShown;
};
