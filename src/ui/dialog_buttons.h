#pragma once
// The buttons the dialogs share: the Ok and Cancel pair, and the "..." button beside a path.

class QDialog;
class QHBoxLayout;
class QPushButton;
class QTabWidget;
class QWidget;

// Centred in their row, Ok the default button.
void PlaceOkCancel(QDialog& dialog, QHBoxLayout& row, QPushButton* ok, QPushButton* cancel);

// The pages above a row of Ok, Cancel and Help.
void PlacePagesAndButtons(
    QDialog& dialog, QTabWidget* pages, QPushButton* ok, QPushButton* cancel, QPushButton* help);

// The narrow "..." button that picks a path for the field beside it.
QPushButton* DotsButton(QWidget* parent);
