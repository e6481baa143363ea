#pragma once
// The text input box. The field keeps its text between uses, so it offers the previous entry.

#include <QDialog>

class QLineEdit;
class QPushButton;
class TPanel;

class TFormString : public QDialog
{
    Q_OBJECT
public:
    explicit TFormString(QWidget* parent = nullptr);

    // True and the field's text when closed with Ok; false and empty text otherwise.
    bool AskText(const QString& caption, QString& text);

    TPanel* PanelTop;
    QLineEdit* EditString;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* event) override;
};
