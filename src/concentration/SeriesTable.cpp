// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/SeriesTable.h"

#include "files/Windows1252.h"

#include <QString>

namespace {

std::string Cell(const std::optional<double>& value) {
    return value ? DecimalText(*value, 6) : std::string();
}

// An absorbance and its uncertainty as two cells; a bound as "> 2,14" and no uncertainty.
std::string ACells(const Absorbance& a) {
    if (a.AtLeast) return "> " + DecimalText(*a.AtLeast, 3) + ";";
    return Cell(a.Value) + ";" + (a.Value ? Cell(a.Uncertainty) : std::string());
}

// A name as one cell: the separator and quotes would split it.
std::string NameCell(const std::string& name) {
    std::string cell = name;
    for (char& character : cell)
        if (character == ';' || character == '"') character = ',';
    return cell;
}

} // namespace

std::string SeriesTableBytes(const ConcentrationSeries& series, const CalibrationResult& result) {
    const std::string unit = UnitText(series.Unit);
    std::string text = BandText(series.Band);
    if (result.Line)
        text += ";Steigung " + DecimalText(result.Line->Slope, 4) + " " + SlopeUnitText(series.Unit) +
                ";Achsenabschnitt " + DecimalText(result.Line->Intercept, 4) + ";R\u00b2 " +
                DecimalText(result.Line->RSquared, 5);
    text += "\r\nArt;Name;c (" + unit + ");Verd\u00fcnnung;A;\u00b1 A;Residuum;Ergebnis (" + unit +
            ");\u00b1 (" + unit + ");Hinweis\r\n";
    for (const StandardPoint& point : result.Standards)
        text += "Standard;" + NameCell(series.Rows[point.Row].Name) + ";" + Cell(point.Concentration) + ";;" +
                ACells(point.A) + ";" + Cell(point.Residual) + ";;;" +
                RowNote(series.Rows[point.Row], ExclusionText(point.Reason, point.A.Why)) + "\r\n";
    for (const SampleResult& sample : result.Samples)
        text += "Probe;" + NameCell(series.Rows[sample.Row].Name) + ";;" +
                Cell(series.Rows[sample.Row].Dilution) + ";" + ACells(sample.A) + ";;" +
                Cell(sample.Concentration) + ";" +
                (sample.Concentration ? Cell(sample.Uncertainty) : std::string()) + ";" +
                RowNote(series.Rows[sample.Row], sample.Note) + "\r\n";
    return ToWindows1252(QString::fromStdString(text));
}
