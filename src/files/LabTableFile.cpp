// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LabTableFile.h"

#include "files/AtomicFile.h"
#include "files/Windows1252.h"

#include <cmath>

namespace {

// A cell as a spreadsheet reads it back: quoted where it holds a separator or a quote, on one line.
QString Cell(QString text) {
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    if (!text.contains(u';') && !text.contains(u'"')) return text;
    return u'"' + text.replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

// Decimals enough for the mean of up to 16 whole readings, the finest a Digits value comes in.
constexpr int ExactDecimals = 4;

// A value with a number of decimals and a decimal comma, halves to even; `trim` drops the trailing zeros
// (and then a lone comma). No finite value, no text.
std::string Number(double value, int decimals, bool trim) {
    if (!std::isfinite(value)) return {};
    // A value that rounds to zero would otherwise keep its sign ("-0,000").
    const double rounded = std::nearbyint(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    QString text = QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals).replace(u'.', u',');
    if (trim && decimals > 0) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u',')) text.chop(1);
    }
    return text.toStdString();
}

struct OptionalColumn {
    const char* Head;
    const ChannelColumn& Values;
    int Decimals;
    bool Exact;
};

QString NoteCell(const QString& what, const CaptureNote& note) {
    QString text = QStringLiteral("%1: Belichtung %2").arg(what).arg(note.Exposure);
    if (!note.Moment.isEmpty()) text += QStringLiteral(", ") + note.Moment;
    // One kept in the settings from an earlier run no longer knows how it was averaged.
    return Cell(text + (note.Count > 0 ? QStringLiteral(", Mittel aus %1").arg(note.Count)
                                       : QStringLiteral(", aus den Einstellungen")));
}

// The cells on how the measurement columns came about; none for a plain spectrum.
QString MeasurementCells(const LabTable& table) {
    QString cells;
    if (table.DarkNote)
        cells += u';' + NoteCell(table.DarkSubtracted ? QStringLiteral("Dunkel abgezogen")
                                                      : QStringLiteral("Dunkel nicht abgezogen"),
                                 *table.DarkNote);
    if (table.ReferenceNote) cells += u';' + NoteCell(QStringLiteral("Referenz"), *table.ReferenceNote);
    if (cells.isEmpty()) return cells;
    cells += QStringLiteral(";Digits: Mittel aus %1").arg(table.Averaging);
    if (table.TransmissionPercent) {
        cells += table.DarkSubtracted
                     ? QStringLiteral(";Transmission % = 100 * (Digits - Dunkel) / (Referenz - Dunkel)")
                     : QStringLiteral(";Transmission % = 100 * Digits / Referenz");
        cells += QStringLiteral(";Extinktion = -log10(Transmission % / 100)");
        if (table.TransmissionU) cells += QStringLiteral(";u: Standardunsicherheit");
        if (!table.EmptyReason.isEmpty()) cells += u';' + Cell(QStringLiteral("leer: ") + table.EmptyReason);
    }
    return cells;
}

} // namespace

std::string LabTableBytes(const LabTable& table) {
    const OptionalColumn optional[] = {{"Dunkel", table.Dark, ExactDecimals, true},
                                       {"Referenz", table.Reference, ExactDecimals, true},
                                       {"Transmission %", table.TransmissionPercent, 1, false},
                                       {"u Transmission %", table.TransmissionU, 2, false},
                                       {"Extinktion", table.Extinction, 3, false},
                                       {"u Extinktion", table.ExtinctionU, 4, false}};
    const QString header = Cell(QStringLiteral("Spektrum: ") + table.Name) + u';' +
                           Cell(QStringLiteral("Datum: ") + table.Moment) + u';' +
                           QStringLiteral("Belichtung: %1;Kalibrierung: %2 nm bis %3 nm")
                               .arg(table.Exposure)
                               .arg(table.Calibration.LambdaMin)
                               .arg(table.Calibration.LambdaMax) +
                           MeasurementCells(table);
    std::string bytes = ToWindows1252(header) + "\r\nKanal;nm;Digits";
    for (const OptionalColumn& column : optional)
        if (column.Values) bytes += std::string(";") + column.Head;
    bytes += "\r\n";
    for (int c = 0; c < ChannelCount; ++c) {
        // Channels lie some 2,5 nm apart: in whole nm their steps would read 2 or 3 nm.
        bytes += std::to_string(c) + ';' +
                 Number(c * table.Calibration.NmPerChannel + table.Calibration.LambdaMin, 1, false) + ';' +
                 Number(table.Readings[c], ExactDecimals, true);
        for (const OptionalColumn& column : optional)
            if (column.Values) bytes += ';' + Number((*column.Values)[c], column.Decimals, column.Exact);
        bytes += "\r\n";
    }
    return bytes;
}

void SaveLabTable(const std::string& path, const LabTable& table) {
    WriteFileAtomically(path, LabTableBytes(table));
}

std::string NumberTableBytes(const NumberTable& table) {
    std::string bytes;
    for (const std::vector<QString>* line : {&table.Header, &table.Heads}) {
        for (size_t i = 0; i < line->size(); ++i)
            bytes += (i ? ";" : "") + ToWindows1252(Cell((*line)[i]));
        bytes += "\r\n";
    }
    for (size_t r = 0; r < table.Rows.size(); ++r) {
        const std::vector<double>& row = table.Rows[r];
        for (size_t i = 0; i < row.size(); ++i) {
            const QString* text =
                r < table.Texts.size() && i < table.Texts[r].size() ? &table.Texts[r][i] : nullptr;
            bytes += (i ? ";" : "") +
                     (text && !text->isEmpty()
                          ? ToWindows1252(Cell(*text))
                          : Number(row[i], i < table.Decimals.size() ? table.Decimals[i] : 3, false));
        }
        bytes += "\r\n";
    }
    return bytes;
}

void SaveNumberTable(const std::string& path, const NumberTable& table) {
    WriteFileAtomically(path, NumberTableBytes(table));
}
