// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PictureFileDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

namespace {

QComboBox* ChoiceRow(QFileDialog& dialog, const QString& caption, const QStringList& choices) {
    auto* box = new QComboBox(&dialog);
    box->addItems(choices);
    auto* label = new QLabel(caption, &dialog);
    label->setBuddy(box);
    // The dialog lays out its name and type rows on a grid; the choices follow as rows of their own.
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
    }
    return box;
}

} // namespace

TPictureFileDialog::TPictureFileDialog(QWidget* parent)
    : TSpectrumFileDialog(parent, QStringLiteral("Bild speichern"), QStringLiteral("PNG-Bilder (*.png)"),
                          AcceptSave, QStringLiteral("png")) {
    SizeBox = ChoiceRow(*this, QStringLiteral("&Größe:"),
                        {QStringLiteral("wie auf dem Bildschirm"), QStringLiteral("doppelt so groß")});
    BackgroundBox = ChoiceRow(*this, QStringLiteral("&Hintergrund:"),
                              {QStringLiteral("schwarz"), QStringLiteral("weiß")});
}
