// SPDX-License-Identifier: GPL-3.0-or-later
#include "lines/SpektralDlg.h"

#include "lines/LineFile.h"
#include "settings/SettingsTable.h"
#include "ui/Application.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/MainWindowLink.h"
#include "ui/WindowPlacement.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

TSpektralForm* SpektralForm = nullptr;

namespace {

const char* const Instructions[] = {
    "Hinzufügen eigener Einträge:",
    "1. Datei im Verzeichnis \"dat\" anlegen",
    "2. Erweiterung = \".dat\"",
    "3. Dateiname = Listeneintrag",
    "4. Datei mit Texteditor öffnen",
    "5. 1. Zeile: Kommentare/Bemerkungen ",
    "6. ab 2. Zeile: pro Zeile 1 Spektrallinie",
    "",
    "Beispiel:",
    "Hg - Quecksilberdampflampe",
    "404",
    "435",
    "492",
    "545",
    "578",
    "615",
};

} // namespace

TSpektralForm::TSpektralForm(MainWindowLink& mainWindow) : mainWindow_(mainWindow) {
    SpektralForm = this;
    MakeFixedWindow(*this, QStringLiteral("Spektrallinien einblenden"), ClientWidth, ClientHeight);

    Label2 = NewLabel(this, QPoint(8, 8), QStringLiteral("Spektraldateien:"));
    ListView = new QListWidget(this);
    ListView->setGeometry(8, 24, 201, 193);
    ListView->setViewMode(QListView::ListMode);
    ListView->setIconSize(QSize(16, 16));
    ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView->setSelectionMode(QAbstractItemView::SingleSelection);

    Label1 = NewLabel(this, QPoint(217, 8), QStringLiteral("Spektrallinien:"));
    Spektrum_Edit = new QLineEdit(this);
    Spektrum_Edit->setGeometry(217, 24, 216, 21);
    Spektrum_Edit->setReadOnly(true);
    ListBox = new QListWidget(this);
    ListBox->setGeometry(217, 52, 216, 165);
    ListBox->setEnabled(false);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(8, 225, 425, 125);
    QStringList lines;
    for (const char* line : Instructions)
        lines << QString::fromUtf8(line);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));

    OK_Button = new QPushButton(QStringLiteral("Beenden"), this);
    OK_Button->setGeometry(176, 359, 89, 28);
    MakeBold(*OK_Button);
    OK_Button->setDefault(true);

    // Selection and deselection alike load the entry's file: a change of entry loads the old file
    // once more and then the new one.
    connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                for (const QModelIndex& index : deselected.indexes())
                    TApplication::RunGuarded([&] { ListViewSelectItem(index.row()); });
                for (const QModelIndex& index : selected.indexes())
                    TApplication::RunGuarded([&] { ListViewSelectItem(index.row()); });
            });
    connect(OK_Button, &QPushButton::clicked, this, Guarded([this] { OK_ButtonClick(); }));
    RunFormCreate();
}

void TSpektralForm::FormCreate() {
    SelectedLineFile = 0;
    PlaceFromSettings(*this, mainWindow_.SettingsFile(), Settings::LinesPlace);
}

void TSpektralForm::FormDestroy() {
    StorePlace(*this, mainWindow_.SettingsFile(), Settings::LinesPlace);
}

void TSpektralForm::RefreshLineFileList() {
    {
        const QSignalBlocker quiet(ListView->selectionModel());
        ListView->clear();
    }
    fileNames_.clear();
    // The library folder becomes the current folder for the rest of the run.
    QDir::setCurrent(LineLibraryFolder(mainWindow_.SharedState().StartDir, QDir::currentPath()));
    const QIcon icon(Artwork::ToolImagePixmap(Artwork::SpectralLines)
                         .scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    for (const LineFileEntry& entry : ListLineFiles(QDir::currentPath())) {
        new QListWidgetItem(icon, entry.Caption, ListView);
        fileNames_ << entry.FileName;
    }
    if (SelectedLineFile >= 0 && SelectedLineFile < ListView->count())
        ListView->setCurrentRow(SelectedLineFile, QItemSelectionModel::ClearAndSelect);
    else
        ListView->clearSelection();
    ListView->update();
}

void TSpektralForm::FormActivate() {
    RefreshLineFileList();
    ListView->setFocus();
}

void TSpektralForm::ListViewSelectItem(int position) {
    SelectedLineFile = position;
    ListBox->clear();
    const LineFile file = ReadLineFile(QDir::current().filePath(fileNames_.value(position)));
    Spektrum_Edit->setText(file.Name);
    Spektrum_Edit->setCursorPosition(0);
    ListBox->addItems(file.Entries);
    mainWindow_.SharedState().LinesShown = true;
    mainWindow_.DrawSpectrum();
}

void TSpektralForm::FormHide() {
    mainWindow_.SharedState().LinesShown = false;
    mainWindow_.DrawSpectrum();
}

void TSpektralForm::OK_ButtonClick() {
    hide();
}

std::vector<int32_t> TSpektralForm::LineWavelengths() const {
    std::vector<int32_t> wavelengths;
    for (int i = 0; i < ListBox->count(); ++i) {
        int32_t nm = 0;
        if (LineWavelength(ListBox->item(i)->text(), nm)) wavelengths.push_back(nm);
    }
    return wavelengths;
}
