#pragma once
// The progress box for long file work. It is shown without being modal: the caller checks
// Cancelled between items and moves the bar with SetProgress.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class TPanel;

class TFormProgress : public QDialog
{
    Q_OBJECT
public:
    explicit TFormProgress(QWidget* parent = nullptr);

    // Shows the box (when not shown already) for an operation that starts now.
    void ShowProgress();
    // Moves the bar and puts the position where MessageText has its "#".
    void SetProgress(int position);

    int DoneWidth() const;
    int FullWidth() const;
    QString LabelText() const;

    int Position = 0;
    bool Cancelled = false;
    int Minimum = 0;
    int Maximum = 0;
    QString MessageText;

    QLabel* LabelMessage;
    QFrame* ShapeProgressMax;
    QFrame* ShapeProgress;
    TPanel* PanelBottom;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
