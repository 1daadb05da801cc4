// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Form.h"

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <vector>

class MainWindowLink;

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The spectral line window "Spektrallinien einblenden": lists the line files of the library folder;
// while it is shown, the lines of the chosen file are marked in both diagrams.
class TSpektralForm : public TForm<QDialog> {
    Q_OBJECT
public:
    // The window speaks to the main window only through `mainWindow`.
    explicit TSpektralForm(MainWindowLink& mainWindow);

    static constexpr int ClientWidth = 441;
    static constexpr int ClientHeight = 395;

    void FormCreate() override;
    void FormDestroy() override;
    void FormActivate() override;
    void FormHide() override;
    void ListViewSelectItem(int position);
    void OK_ButtonClick();

    // The wavelengths the diagrams mark: the entries of ListBox that are whole numbers, in order.
    std::vector<int32_t> LineWavelengths() const;

    QLabel* Label2;
    QListWidget* ListView;
    QLabel* Label1;
    QLineEdit* Spektrum_Edit;
    QListWidget* ListBox;
    QPlainTextEdit* Memo1;
    QPushButton* OK_Button;

    // Position in the list of the entry selected last.
    int32_t SelectedLineFile = 0;

protected:
private:
    // Lists the library folder anew and selects the entry at SelectedLineFile, which loads it.
    void RefreshLineFileList();

    // File names of the listed entries, by position.
    QStringList fileNames_;
    MainWindowLink& mainWindow_;
};

extern TSpektralForm* SpektralForm;
