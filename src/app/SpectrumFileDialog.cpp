// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpectrumFileDialog.h"

#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>

TSpectrumFileDialog::TSpectrumFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                         AcceptMode mode, const QString& suffix)
    : QFileDialog(parent, title), everyFile_(QStringLiteral("*.") + suffix) {
    setOption(DontUseNativeDialog);
    setAcceptMode(mode);
    // The chosen file need not exist; the load then tells what went wrong.
    setFileMode(AnyFile);
    setNameFilter(filter);
    if (mode == AcceptSave) setDefaultSuffix(suffix);
    nameEdit_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    setSidebarUrls({});
    if (auto* places = findChild<QWidget*>(QStringLiteral("sidebar"))) places->hide();
}

bool TSpectrumFileDialog::Run(const QString& folder) {
    setDirectory(folder);
    // A pattern typed in the last run ends with it, as the chosen filter comes back.
    selectNameFilter(selectedNameFilter());
    nameEdit_->setText(everyFile_);
    return exec() == Accepted && !selectedFiles().isEmpty();
}

void TSpectrumFileDialog::accept() {
    const QString typed = nameEdit_->text();
    if (typed.contains(QLatin1Char('*')) || typed.contains(QLatin1Char('?'))) {
        ShowOnly(typed);
        return;
    }
    if (acceptMode() == AcceptOpen) {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty() && !QFileInfo(chosen.constFirst()).absoluteDir().exists()) {
            QMessageBox::warning(
                this, windowTitle(),
                QStringLiteral("Der Ordner „%1“ existiert nicht.\nÜberprüfen Sie den Pfad.")
                    .arg(QDir::toNativeSeparators(QFileInfo(chosen.constFirst()).absolutePath())));
            return;
        }
    }
    QFileDialog::accept();
}

void TSpectrumFileDialog::ShowOnly(const QString& pattern) {
    const int slash = pattern.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) {
        const QString folder = directory().absoluteFilePath(pattern.left(slash + 1));
        if (QFileInfo(folder).isDir()) setDirectory(folder);
    }
    if (auto* files = findChild<QFileSystemModel*>())
        files->setNameFilters(pattern.mid(slash + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts));
}
