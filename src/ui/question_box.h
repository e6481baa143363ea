#pragma once
// The question box, which also serves as the information box. It answers Ok by itself after a
// minute, so a question nobody is there to answer does not hold the farm up.

#include <QDialog>
#include <QTimer>

class QCheckBox;
class QLabel;
class QPushButton;
class TPanel;

class TFormQuestion : public QDialog
{
    Q_OBJECT
public:
    explicit TFormQuestion(QWidget* parent = nullptr);

    // True when answered Ok. A request while the box is already open (a timer tick during a
    // question) counts as agreed.
    bool Ask(const QString& text, bool isQuestion);
    // The same with the check box shown; `checked` goes in and comes out.
    bool AskWithCheck(const QString& text, const QString& checkText, bool isQuestion, bool& checked);

    QLabel* LabelQuestion;
    QCheckBox* CheckBox;
    TPanel* PanelBottom;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QTimer TimerClose;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FitHeight();
};
