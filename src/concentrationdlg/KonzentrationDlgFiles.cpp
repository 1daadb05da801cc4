// SPDX-License-Identifier: GPL-3.0-or-later
// The window's file commands: the series saved and loaded, the table exported, the pictures saved.
#include "concentrationdlg/KonzentrationDlg.h"

#include "concentration/SeriesFile.h"
#include "concentration/SeriesTable.h"
#include "concentrationdlg/ConcentrationCharts.h"
#include "files/AtomicFile.h"
#include "files/SystemReason.h"
#include "ui/ImageView.h"
#include "ui/MainWindowLink.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <system_error>

namespace {

constexpr int ReportedLines = 5;
constexpr int ShownLineLength = 40;

// What of a series file was left out, line by line; empty when it was read whole.
QString LoadReport(const SeriesFileContents& contents) {
    QStringList report;
    const int skipped = int(contents.Skipped.size());
    if (skipped > 0)
        report << (skipped == 1 ? QStringLiteral("1 Zeile übersprungen:")
                                : QStringLiteral("%1 Zeilen übersprungen:").arg(skipped));
    for (int i = 0; i < std::min(skipped, ReportedLines); ++i) {
        const QString text = QString::fromStdString(contents.Skipped[i].Text);
        report << QStringLiteral("Zeile %1: „%2“")
                      .arg(contents.Skipped[i].Number)
                      .arg(text.size() > ShownLineLength ? text.left(ShownLineLength - 1) + u'…' : text);
    }
    if (skipped > ReportedLines) report << QStringLiteral("und %1 weitere.").arg(skipped - ReportedLines);
    if (!contents.DroppedRows.empty()) {
        QStringList names;
        for (const std::string& name : contents.DroppedRows)
            names << QStringLiteral("„%1“").arg(QString::fromStdString(name));
        report << QStringLiteral("Ohne lesbare Konzentration oder Verdünnung ausgelassen: %1.")
                      .arg(names.join(QStringLiteral(", ")));
    }
    if (contents.MissingRows > 0)
        report << (contents.MissingRows == 1
                       ? QStringLiteral("Die Datei endet vorzeitig: 1 Zeile der Tabelle fehlt.")
                       : QStringLiteral("Die Datei endet vorzeitig: %1 Zeilen der Tabelle fehlen.")
                             .arg(contents.MissingRows));
    return report.join(u'\n');
}

} // namespace

void TKonzentrationForm::ConnectFileCommands() {
    const QString seriesFilter = QStringLiteral("Konzentrationsreihen (*.kxr)");
    connect(SaveButton, &QPushButton::clicked, this, [this, seriesFilter] {
        const QString name =
            AskFileName(true, QStringLiteral("Reihe speichern"), seriesFilter, QStringLiteral("kxr"));
        if (!name.isEmpty()) SaveSeries(name);
    });
    connect(LoadButton, &QPushButton::clicked, this, [this, seriesFilter] {
        if (!MaySeriesGo()) return;
        const QString name =
            AskFileName(false, QStringLiteral("Reihe laden"), seriesFilter, QStringLiteral("kxr"));
        if (!name.isEmpty()) LoadSeries(name);
    });
    connect(ExportButton, &QPushButton::clicked, this, [this] {
        const QString name = AskFileName(true, QStringLiteral("Tabelle exportieren"),
                                         QStringLiteral("Tabellen (*.csv)"), QStringLiteral("csv"));
        if (!name.isEmpty()) ExportTable(name);
    });
    const auto savePicture = [this](const QImage& picture, const QString& title) {
        const QString name =
            AskFileName(true, title, QStringLiteral("PNG-Bilder (*.png)"), QStringLiteral("png"));
        if (!name.isEmpty() && !picture.save(name, "PNG"))
            Tell(QStringLiteral("Das Bild konnte nicht gespeichert werden."));
    };
    connect(LinePictureButton, &QPushButton::clicked, this, [this, savePicture] {
        savePicture(CalibrationPicture(CalibrationImage->Picture(), series_, EvaluateSeries(series_)),
                    QStringLiteral("Bild der Geraden speichern"));
    });
    connect(MapPictureButton, &QPushButton::clicked, this, [this, savePicture] {
        savePicture(MapImage->Picture(), QStringLiteral("Bild der Karte speichern"));
    });
}

bool TKonzentrationForm::SaveSeries(const QString& fileName) {
    try {
        SaveSeriesFile(fileName.toStdString(), series_);
        unsaved_ = false;
        return true;
    } catch (const std::system_error& error) {
        Tell(QStringLiteral("Die Reihe konnte nicht gespeichert werden: ") +
             SystemReason(error.code().value()));
        return false;
    }
}

bool TKonzentrationForm::LoadSeries(const QString& fileName) {
    int error = 0;
    const SeriesFileContents contents = LoadSeriesFile(fileName.toStdString(), error);
    if (error != 0 || !contents.Recognised) {
        Tell(error != 0 ? QStringLiteral("Die Reihe konnte nicht gelesen werden: ") + SystemReason(error)
                        : QStringLiteral("Die Datei ist keine Konzentrationsreihe."));
        return false;
    }
    SetSeries(contents.Series);
    const QString report = LoadReport(contents);
    if (!report.isEmpty())
        Tell(QStringLiteral("„%1“ ist nicht vollständig geladen.\n\n").arg(QFileInfo(fileName).fileName()) +
                 report,
             true);
    return true;
}

bool TKonzentrationForm::ExportTable(const QString& fileName) {
    try {
        WriteFileAtomically(fileName.toStdString(), SeriesTableBytes(series_, EvaluateSeries(series_)));
        return true;
    } catch (const std::system_error& error) {
        Tell(QStringLiteral("Die Tabelle konnte nicht gespeichert werden: ") +
             SystemReason(error.code().value()));
        return false;
    }
}

QString TKonzentrationForm::AskFileName(bool save, const QString& title, const QString& filter,
                                        const QString& suffix) {
    QFileDialog dialog(this, title, mainWindow_.SharedState().StartDir, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

bool TKonzentrationForm::MaySeriesGo() {
    if (!unsaved_) return true;
    const int answer =
        Ask(QStringLiteral("Reihe speichern?"),
            QStringLiteral("Die gemessene Konzentrationsreihe ist noch nicht gespeichert."),
            {QStringLiteral("Speichern"), QStringLiteral("Verwerfen"), QStringLiteral("Abbrechen")});
    if (answer == 1) return true;
    if (answer != 0) return false;
    const QString name = AskFileName(true, QStringLiteral("Reihe speichern"),
                                     QStringLiteral("Konzentrationsreihen (*.kxr)"), QStringLiteral("kxr"));
    return !name.isEmpty() && SaveSeries(name);
}

void TKonzentrationForm::reject() {
    // Esc in a field being typed in takes the typing back; only then does it close the window, which
    // keeps its series for the next opening.
    if (auto* field = qobject_cast<QLineEdit*>(focusWidget()); field && field->isModified()) {
        Refresh();
        field->setModified(false);
        return;
    }
    TForm<QDialog>::reject();
}

int TKonzentrationForm::Ask(const QString& question, const QString& detail, const QStringList& answers) {
    QMessageBox box(QMessageBox::Warning, windowTitle(), question, QMessageBox::NoButton, this);
    box.setInformativeText(detail);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers)
        buttons << box.addButton(answer,
                                 buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    box.setEscapeButton(buttons.back());
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen < 0 ? int(answers.size()) - 1 : chosen;
}
