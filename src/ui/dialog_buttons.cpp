#include "ui/dialog_buttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

void PlaceOkCancel(QDialog& dialog, QHBoxLayout& row, QPushButton* ok, QPushButton* cancel)
{
    row.addStretch();
    row.addWidget(ok);
    row.addWidget(cancel);
    row.addStretch();
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
}
