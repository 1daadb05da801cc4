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

// A value with a fixed number of decimals and a decimal comma; no finite value, no text.
std::string Number(double value, int decimals) {
    if (!std::isfinite(value)) return {};
    // A value that rounds to zero would otherwise keep its sign ("-0,000").
    const double rounded = std::nearbyint(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals).replace(u'.', u',').toStdString();
}

struct OptionalColumn {
    const char* Head;
    const ChannelColumn& Values;
    int Decimals;
};

} // namespace

std::string LabTableBytes(const LabTable& table) {
    const OptionalColumn optional[] = {{"Dunkel", table.Dark, 1},
                                       {"Referenz", table.Reference, 1},
                                       {"Transmission %", table.TransmissionPercent, 1},
                                       {"Extinktion", table.Extinction, 3}};
    const QString header = Cell(QStringLiteral("Spektrum: ") + table.Name) + u';' +
                           Cell(QStringLiteral("Datum: ") + table.Moment) + u';' +
                           QStringLiteral("Belichtung: %1;Kalibrierung: %2 nm bis %3 nm")
                               .arg(table.Exposure)
                               .arg(table.Calibration.LambdaMin)
                               .arg(table.Calibration.LambdaMax);
    std::string bytes = ToWindows1252(header) + "\r\nKanal;nm;Digits";
    for (const OptionalColumn& column : optional)
        if (column.Values) bytes += std::string(";") + column.Head;
    bytes += "\r\n";
    for (int c = 0; c < ChannelCount; ++c) {
        bytes += std::to_string(c) + ';' + std::to_string(ChannelWavelength(table.Calibration, c, 0)) + ';' +
                 std::to_string(table.Readings[c]);
        for (const OptionalColumn& column : optional)
            if (column.Values) bytes += ';' + Number((*column.Values)[c], column.Decimals);
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
    for (const std::vector<double>& row : table.Rows) {
        for (size_t i = 0; i < row.size(); ++i)
            bytes += (i ? ";" : "") + Number(row[i], i < table.Decimals.size() ? table.Decimals[i] : 3);
        bytes += "\r\n";
    }
    return bytes;
}

void SaveNumberTable(const std::string& path, const NumberTable& table) {
    WriteFileAtomically(path, NumberTableBytes(table));
}
