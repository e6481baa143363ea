#include "ui/dialog_buttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

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

void PlacePagesAndButtons(
    QDialog& dialog, QTabWidget* pages, QPushButton* ok, QPushButton* cancel, QPushButton* help)
{
    auto* buttons = new QHBoxLayout;
    PlaceOkCancel(dialog, *buttons, ok, cancel);
    buttons->insertWidget(buttons->count() - 1, help);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(pages);
    layout->addLayout(buttons);
}

QPushButton* DotsButton(QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 12);
    return button;
}
