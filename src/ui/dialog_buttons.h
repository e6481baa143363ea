#pragma once
// The Ok and Cancel pair of the small dialogs: centred in their row, Ok the default button.

class QDialog;
class QHBoxLayout;
class QPushButton;

void PlaceOkCancel(QDialog& dialog, QHBoxLayout& row, QPushButton* ok, QPushButton* cancel);
