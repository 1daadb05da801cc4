// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/SeriesFile.h"

#include "files/AtomicFile.h"
#include "files/TextFile.h"
#include "files/Windows1252.h"

#include <charconv>
#include <cmath>

namespace {

const char* const Header = "KX207 Konzentrationsreihe";
// The rows' count, written first, so that a file cut short tells how much of it is missing.
const char* const RowCountKey = "Zeilen";
constexpr int32_t HighestReading = 65279; // 255 × 255 + 254, the most a frame can carry

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::optional<double> ParseNumber(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string Readings(const ChannelReadings& readings) {
    std::string text;
    for (int c = 0; c < ChannelCount; ++c)
        text += (c ? "," : "") + std::to_string(readings[c]);
    return text;
}

std::optional<ChannelReadings> ParseReadings(const std::string& text) {
    ChannelReadings readings{};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int c = 0; c < ChannelCount; ++c) {
        if (c > 0 && (at == end || *at++ != ',')) return std::nullopt;
        const auto [next, error] = std::from_chars(at, end, readings[c]);
        if (error != std::errc() || readings[c] < 0 || readings[c] > HighestReading) return std::nullopt;
        at = next;
    }
    if (at != end) return std::nullopt;
    return readings;
}

// The parts of a row's spectrum as they are read; the row gets it when all are there and sound.
struct PendingSpectrum {
    std::optional<int32_t> Exposure;
    std::optional<ChannelReadings> Shown, Dark, Reference;
    bool Malformed = false;
    bool Quantity = false; // the concentration of a standard, the dilution of a sample, read soundly

    bool Complete() const { return !Malformed && Exposure && Shown && Reference; }
};

bool ReadSeriesKey(ConcentrationSeries& series, const std::string& key, const std::string& value) {
    if (key == "Einheit") {
        for (ConcentrationUnit unit : ConcentrationUnits)
            if (UnitText(unit) == value) {
                series.Unit = unit;
                return true;
            }
        return false;
    }
    if (key == "Ursprung" && (value == "0" || value == "1")) {
        series.Band.ThroughOrigin = value == "1";
        return true;
    }
    if (key == RowCountKey) {
        const auto count = ParseNumber(value);
        return count && *count >= 0 && *count == std::floor(*count);
    }
    const auto comma = value.find(';');
    if (comma == std::string::npos) return false;
    const auto first = ParseNumber(value.substr(0, comma));
    const auto second = ParseNumber(value.substr(comma + 1));
    if (key == "Kalibrierung" && first && second && *first >= 0 && *first < *second && *second <= 10000) {
        series.Calibration.SetRange(static_cast<int32_t>(*first), static_cast<int32_t>(*second));
        return true;
    }
    if (key == "Band" && first && second && *first >= 0 && *first <= *second && *second <= 10000) {
        series.Band.FromNm = *first;
        series.Band.ToNm = *second;
        return true;
    }
    return false;
}

bool ReadRowKey(SeriesRow& row, PendingSpectrum& spectrum, const std::string& key, const std::string& value) {
    if (key == "Name") {
        row.Name = value;
        return true;
    }
    if (key == "Auswahl" && (value == "auto" || value == "ein" || value == "aus")) {
        row.InLineByHand = value == "auto" ? std::nullopt : std::optional<bool>(value == "ein");
        return true;
    }
    if (key == "Spektrum" || key == "Dunkel" || key == "Referenz") {
        std::optional<ChannelReadings>& target = key == "Spektrum" ? spectrum.Shown
                                                 : key == "Dunkel" ? spectrum.Dark
                                                                   : spectrum.Reference;
        target = ParseReadings(value);
        spectrum.Malformed |= !target;
        return bool(target);
    }
    const auto number = ParseNumber(value);
    if (!number || *number < 0) return false;
    if (key == "Konzentration" && row.Kind == RowKind::Standard) {
        row.Concentration = *number;
        spectrum.Quantity = true;
    } else if (key == "Verd\u00fcnnung" && row.Kind == RowKind::Sample && *number >= 1) {
        row.Dilution = *number;
        spectrum.Quantity = true;
    } else if (key == "Belichtung" && *number <= 100 && *number == std::floor(*number)) {
        spectrum.Exposure = static_cast<int32_t>(*number);
    } else {
        return false;
    }
    return true;
}

// Completes the last row read; a row without its concentration or dilution is left out.
void FinishRow(SeriesFileContents& contents, const PendingSpectrum& spectrum) {
    SeriesRow& row = contents.Series.Rows.back();
    if (!spectrum.Quantity) {
        contents.DroppedRows.push_back(row.Name);
        contents.Series.Rows.pop_back();
        return;
    }
    if (!spectrum.Complete()) return;
    row.Spectrum = RowSpectrum{*spectrum.Shown, *spectrum.Exposure, spectrum.Dark, *spectrum.Reference};
}

} // namespace

std::string SeriesFileBytes(const ConcentrationSeries& series) {
    std::string text = std::string(Header) + "\r\n";
    const auto line = [&text](const std::string& key, const std::string& value) {
        text += key + "=" + value + "\r\n";
    };
    line(RowCountKey, std::to_string(series.Rows.size()));
    line("Einheit", UnitText(series.Unit));
    line("Kalibrierung",
         std::to_string(series.Calibration.LambdaMin) + ";" + std::to_string(series.Calibration.LambdaMax));
    line("Band", Number(series.Band.FromNm) + ";" + Number(series.Band.ToNm));
    line("Ursprung", series.Band.ThroughOrigin ? "1" : "0");
    for (const SeriesRow& row : series.Rows) {
        text += row.Kind == RowKind::Standard ? "[Standard]\r\n" : "[Probe]\r\n";
        line("Name", row.Name);
        line(row.Kind == RowKind::Standard ? "Konzentration" : "Verd\u00fcnnung",
             Number(row.Kind == RowKind::Standard ? row.Concentration : row.Dilution));
        line("Auswahl", !row.InLineByHand ? "auto" : *row.InLineByHand ? "ein" : "aus");
        if (!row.Spectrum) continue;
        line("Belichtung", std::to_string(row.Spectrum->Exposure));
        line("Spektrum", Readings(row.Spectrum->Shown));
        if (row.Spectrum->Dark) line("Dunkel", Readings(*row.Spectrum->Dark));
        line("Referenz", Readings(row.Spectrum->Reference));
    }
    return ToWindows1252(QString::fromStdString(text));
}

SeriesFileContents ParseSeriesFile(const QStringList& lines) {
    SeriesFileContents contents;
    if (lines.isEmpty() || lines.front().trimmed() != Header) return contents;
    contents.Recognised = true;
    ConcentrationSeries& series = contents.Series;
    SeriesRow* row = nullptr;
    bool beyondLastRow = false; // in a section past MaxSeriesRows, whose lines are all left out
    PendingSpectrum spectrum;
    std::optional<double> announcedRows;
    int sections = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const std::string text = lines[i].trimmed().toStdString();
        if (text.empty()) continue;
        if (text == "[Standard]" || text == "[Probe]") {
            if (row) FinishRow(contents, spectrum);
            row = nullptr;
            spectrum = {};
            ++sections;
            beyondLastRow = sections > MaxSeriesRows;
            if (!beyondLastRow) {
                series.Rows.push_back({});
                row = &series.Rows.back();
                row->Kind = text == "[Standard]" ? RowKind::Standard : RowKind::Sample;
                continue;
            }
        }
        const auto equals = text.find('=');
        const std::string key = text.substr(0, equals),
                          value = equals == std::string::npos ? "" : text.substr(equals + 1);
        const bool read = !beyondLastRow && equals != std::string::npos &&
                          (row ? ReadRowKey(*row, spectrum, key, value) : ReadSeriesKey(series, key, value));
        if (!read)
            contents.Skipped.push_back({int(i) + 1, text});
        else if (!row && key == RowCountKey)
            announcedRows = ParseNumber(value);
    }
    const bool endsEarly = announcedRows && *announcedRows > sections;
    if (endsEarly) contents.MissingRows = int(std::min(*announcedRows - sections, double(MaxSeriesRows)));
    const bool partlyMeasured = spectrum.Exposure || spectrum.Shown || spectrum.Dark || spectrum.Reference;
    if (row && endsEarly && (!spectrum.Quantity || (partlyMeasured && !spectrum.Complete()))) {
        // The last row, cut off with the rest of the file, is missing with it.
        series.Rows.pop_back();
        ++contents.MissingRows;
    } else if (row) {
        FinishRow(contents, spectrum);
    }
    return contents;
}

void SaveSeriesFile(const std::string& path, const ConcentrationSeries& series) {
    WriteFileAtomically(path, SeriesFileBytes(series));
}

SeriesFileContents LoadSeriesFile(const std::string& path, int& error) {
    const TextFileLines file = ReadTextFileLines(path);
    error = file.Error;
    return ParseSeriesFile(file.Lines);
}
