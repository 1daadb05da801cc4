// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SpectrumFileDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace {

// The file list with sizes and dates written as the program's language writes them. The toolkit's
// own list writes them as the system's language does, even in a German program.
class TFileDetails : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex file = mapToSource(index);
        if (role == Qt::DisplayRole && index.column() == SizeColumn && !files->isDir(file))
            return QLocale().formattedDataSize(files->size(file), 1, QLocale::DataSizeTraditionalFormat);
        if (role == Qt::DisplayRole && index.column() == DateColumn)
            return QLocale().toString(files->lastModified(file), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }

private:
    static constexpr int SizeColumn = 1;
    static constexpr int DateColumn = 3;
};

} // namespace

TSpectrumFileDialog::TSpectrumFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                         AcceptMode mode, const QString& suffix)
    : QFileDialog(parent, title), everyFile_(QStringLiteral("*.") + suffix) {
    setOption(DontUseNativeDialog);
    setAcceptMode(mode);
    // The chosen file need not exist; the load then tells what went wrong.
    setFileMode(AnyFile);
    setNameFilter(filter);
    if (mode == AcceptSave) setDefaultSuffix(suffix);
    setProxyModel(new TFileDetails(this));
    nameEdit_ = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    setSidebarUrls({});
    if (auto* places = findChild<QWidget*>(QStringLiteral("sidebar"))) places->hide();
}

bool TSpectrumFileDialog::Run(const QString& folder) {
    setDirectory(folder);
    // A pattern typed in the last run ends with it, as the chosen filter comes back.
    selectNameFilter(selectedNameFilter());
    nameEdit_->setText(everyFile_);
    // A file still selected from the last run would not preview when clicked again.
    if (auto* files = findChild<QAbstractItemView*>(QStringLiteral("listView")))
        files->selectionModel()->clear();
    if (acceptMode() == AcceptOpen) PlaceBesideOwner();
    return exec() == Accepted && !selectedFiles().isEmpty();
}

QString TSpectrumFileDialog::FolderToOpen(const QString& remembered, const QString& startFolder) {
    const QFileInfo folder(remembered);
    return folder.isDir() && folder.isReadable() && folder.isExecutable() ? remembered : startFolder;
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

void TSpectrumFileDialog::done(int result) {
    // The name field's completer may still be offering names when Enter takes one; its popup would
    // outlive the dialog over the main window and swallow the next click there.
    if (QCompleter* completer = nameEdit_->completer()) completer->popup()->hide();
    QFileDialog::done(result);
}

void TSpectrumFileDialog::PlaceBesideOwner() {
    // The open dialog previews every file clicked in the main diagram, which it must not cover: to the
    // right of the main window, else to its left; only where neither has room, centred over it. A
    // dialog without an owner covers nothing and stays where the system puts it.
    if (!parentWidget()) return;
    const QWidget& owner = *parentWidget();
    const QRect main = owner.frameGeometry();
    const QRect screen = owner.screen()->availableGeometry();
    // Framed by the window system as the main window is.
    const QSize frame = size() + main.size() - owner.size();
    int left = main.right() + 1;
    if (left + frame.width() > screen.right() + 1) left = main.left() - frame.width();
    if (left < screen.left()) {
        setAttribute(Qt::WA_Moved, false);
        return;
    }
    move(left, std::max(screen.top(), std::min(main.top(), screen.bottom() + 1 - frame.height())));
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
