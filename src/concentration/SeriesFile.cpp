// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/SeriesFile.h"

#include "files/AtomicFile.h"
#include "files/TextFile.h"
#include "files/Windows1252.h"

#include <algorithm>
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

// `means` less `dark`, rounded half to even and clamped to what a reading can be.
ChannelReadings WholeDigits(const ChannelMeans& means, const ChannelMeans* dark) {
    ChannelReadings readings{};
    for (int c = 0; c < ChannelCount; ++c)
        readings[c] = int32_t(
            std::clamp(std::nearbyint(means[c] - (dark ? (*dark)[c] : 0.0)), 0.0, double(HighestReading)));
    return readings;
}

std::string Means(const ChannelMeans& means) {
    std::string text;
    for (int c = 0; c < ChannelCount; ++c)
        text += (c ? "," : "") + Number(means[c]);
    return text;
}

std::optional<ChannelMeans> ParseMeans(const std::string& text) {
    ChannelMeans means{};
    size_t at = 0;
    for (int c = 0; c < ChannelCount; ++c) {
        const size_t comma = c + 1 < ChannelCount ? text.find(',', at) : text.size();
        if (comma == std::string::npos) return std::nullopt;
        const std::optional<double> value = ParseNumber(text.substr(at, comma - at));
        if (!value || *value < -HighestReading || *value > HighestReading) return std::nullopt;
        means[c] = *value;
        at = comma + 1;
    }
    return means;
}

std::string ChannelList(const ChannelFlags& flags) {
    std::string text;
    for (int c = 0; c < ChannelCount; ++c)
        if (flags[size_t(c)]) text += (text.empty() ? "" : ",") + std::to_string(c);
    return text;
}

std::optional<ChannelFlags> ParseChannelList(const std::string& text) {
    ChannelFlags flags;
    size_t at = 0;
    while (at < text.size()) {
        const size_t comma = std::min(text.find(',', at), text.size());
        const std::optional<double> channel = ParseNumber(text.substr(at, comma - at));
        if (!channel || *channel < 0 || *channel >= ChannelCount || *channel != std::floor(*channel))
            return std::nullopt;
        flags[size_t(*channel)] = true;
        at = comma + 1;
    }
    return flags;
}

// The evidence of one of a row's spectra as the file keeps it beside the whole Digits older files had.
struct PendingEvidence {
    std::optional<ChannelMeans> Mean, Spread;
    int Count = 0;
    ChannelFlags Saturated;
    std::optional<int32_t> Exposure; // the row's where not given
};
const char* const EvidenceNames[] = {"Spektrum", "Dunkel", "Referenz"};

// The parts of a row's spectrum as they are read; the row gets it when all are there and sound.
struct PendingSpectrum {
    std::optional<int32_t> Exposure;
    std::optional<ChannelReadings> Shown, Dark, Reference;
    std::optional<bool> DarkSubtracted;
    PendingEvidence Evidence[3]; // in the order of EvidenceNames
    bool Malformed = false;
    bool Quantity = false; // the concentration of a standard, the dilution of a sample, read soundly

    bool Complete() const { return !Malformed && Exposure && Shown && Reference; }
};

// Reads a key "Spektrum.Mittel", "Dunkel.Streuung", "Referenz.Anzahl" or "….Übersteuert".
bool ReadEvidenceKey(PendingSpectrum& spectrum, const std::string& key, const std::string& value) {
    const size_t dot = key.find('.');
    for (int i = 0; i < 3; ++i) {
        if (key.substr(0, dot) != EvidenceNames[i]) continue;
        PendingEvidence& evidence = spectrum.Evidence[i];
        const std::string part = dot == std::string::npos ? std::string() : key.substr(dot + 1);
        bool sound = false;
        if (part == "Mittel" || part == "Streuung") {
            (part == "Mittel" ? evidence.Mean : evidence.Spread) = ParseMeans(value);
            sound = bool(part == "Mittel" ? evidence.Mean : evidence.Spread);
        } else if (part == "Anzahl" || part == "Belichtung") {
            const std::optional<double> number = ParseNumber(value);
            sound = number && *number >= 0 && *number <= 1000 && *number == std::floor(*number);
            if (sound && part == "Anzahl") evidence.Count = int(*number);
            if (sound && part == "Belichtung") evidence.Exposure = int32_t(*number);
        } else if (part == "\u00dcbersteuert") {
            const std::optional<ChannelFlags> flags = ParseChannelList(value);
            sound = bool(flags);
            if (sound) evidence.Saturated = *flags;
        } else {
            return false;
        }
        spectrum.Malformed |= !sound;
        return sound;
    }
    return false;
}

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
    if (key == "Dunkelabzug" && (value == "0" || value == "1")) {
        spectrum.DarkSubtracted = value == "1";
        return true;
    }
    if (key.find('.') != std::string::npos) return ReadEvidenceKey(spectrum, key, value);
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

Evidence EvidenceOf(const PendingEvidence& pending, int32_t exposure) {
    Evidence evidence;
    evidence.Mean = *pending.Mean;
    if (pending.Spread) evidence.Spread = *pending.Spread;
    evidence.Count = pending.Count;
    evidence.Saturated = pending.Saturated;
    evidence.Exposure = pending.Exposure.value_or(exposure);
    return evidence;
}

// A row of an older file: whole Digits, the sample's with the dark taken off where a dark is given.
RowSpectrum RowOfReadings(const PendingSpectrum& spectrum, int32_t exposure) {
    ChannelReadings measured = *spectrum.Shown;
    if (spectrum.Dark)
        for (int c = 0; c < ChannelCount; ++c)
            measured[c] += (*spectrum.Dark)[c];
    RowSpectrum row{EvidenceOfReadings(measured, exposure), std::nullopt,
                    EvidenceOfReadings(*spectrum.Reference, exposure)};
    row.Sample.DarkSubtracted = bool(spectrum.Dark);
    if (spectrum.Dark) row.Dark = EvidenceOfReadings(*spectrum.Dark, exposure);
    return row;
}

// Completes the last row read; a row without its concentration or dilution is left out.
void FinishRow(SeriesFileContents& contents, const PendingSpectrum& spectrum,
               const WavelengthCalibration& calibration) {
    SeriesRow& row = contents.Series.Rows.back();
    if (!spectrum.Quantity) {
        contents.DroppedRows.push_back(row.Name);
        contents.Series.Rows.pop_back();
        return;
    }
    if (spectrum.Malformed || !spectrum.Exposure) return;
    const int32_t exposure = *spectrum.Exposure;
    const PendingEvidence& sample = spectrum.Evidence[0];
    const PendingEvidence& dark = spectrum.Evidence[1];
    const PendingEvidence& reference = spectrum.Evidence[2];
    if (sample.Mean && reference.Mean && spectrum.DarkSubtracted) {
        row.Spectrum =
            RowSpectrum{EvidenceOf(sample, exposure), std::nullopt, EvidenceOf(reference, exposure)};
        row.Spectrum->Sample.DarkSubtracted = *spectrum.DarkSubtracted;
        if (dark.Mean) row.Spectrum->Dark = EvidenceOf(dark, exposure);
    } else if (spectrum.Shown && spectrum.Reference) {
        row.Spectrum = RowOfReadings(spectrum, exposure);
    }
    if (!row.Spectrum) return;
    for (Evidence* evidence : {&row.Spectrum->Sample, &row.Spectrum->Reference})
        evidence->Calibration = calibration;
    if (row.Spectrum->Dark) row.Spectrum->Dark->Calibration = calibration;
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
        const RowSpectrum& spectrum = *row.Spectrum;
        const Evidence* const evidences[] = {&spectrum.Sample, spectrum.Dark ? &*spectrum.Dark : nullptr,
                                             &spectrum.Reference};
        line("Belichtung", std::to_string(spectrum.Sample.Exposure));
        line("Dunkelabzug", spectrum.Sample.DarkSubtracted ? "1" : "0");
        for (int i = 0; i < 3; ++i) {
            if (!evidences[i]) continue;
            const std::string name = EvidenceNames[i];
            line(name + ".Mittel", Means(evidences[i]->Mean));
            line(name + ".Streuung", Means(evidences[i]->Spread));
            line(name + ".Anzahl", std::to_string(evidences[i]->Count));
            line(name + ".Belichtung", std::to_string(evidences[i]->Exposure));
            line(name + ".\u00dcbersteuert", ChannelList(evidences[i]->Saturated));
        }
        // Whole Digits as older versions of the program read them: the sample with the dark taken off.
        const bool darkTaken = spectrum.Sample.DarkSubtracted && spectrum.Dark;
        line("Spektrum",
             Readings(WholeDigits(spectrum.Sample.Mean, darkTaken ? &spectrum.Dark->Mean : nullptr)));
        if (darkTaken) line("Dunkel", Readings(WholeDigits(spectrum.Dark->Mean, nullptr)));
        line("Referenz", Readings(WholeDigits(spectrum.Reference.Mean, nullptr)));
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
            if (row) FinishRow(contents, spectrum, series.Calibration);
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
        FinishRow(contents, spectrum, series.Calibration);
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
