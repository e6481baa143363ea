#pragma once
// The main window: the one working surface of an installation.

#include <QMainWindow>

class TFormKestrion : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFormKestrion(bool master, QWidget* parent = nullptr);
};
