// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDialog>

class QLineEdit;

// The open and save dialogs of spectrum files (and of pictures and tables, with their own `suffix`), with
// the habits of the classic ones: the name field starts as "*.csv" and no file is selected at every run,
// a typed wildcard pattern filters the list instead of being taken as a name, there is no places bar, no
// popup of the name field outlives the dialog, and an open dialog opens beside its owner where the
// screen has room and refuses a name in a folder that does not exist. A save dialog asks before it
// replaces a file, with ".csv" already appended to the name.
class TSpectrumFileDialog : public QFileDialog {
    Q_OBJECT
public:
    TSpectrumFileDialog(QWidget* parent, const QString& title, const QString& filter, AcceptMode mode,
                        const QString& suffix = QStringLiteral("csv"));

    // Runs the dialog modally in `folder`; true when the user chose a file.
    bool Run(const QString& folder);
    // The folder a dialog opens in: `remembered`, or `startFolder` where this user may not look into
    // it (another user's home, a stick no longer there).
    static QString FolderToOpen(const QString& remembered, const QString& startFolder);

    void accept() override;
    void done(int result) override;

private:
    void ShowOnly(const QString& pattern);
    void PlaceBesideOwner();
    QLineEdit* nameEdit_;
    QString everyFile_;
};
