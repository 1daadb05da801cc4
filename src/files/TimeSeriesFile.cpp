// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TimeSeriesFile.h"

#include "files/FileBytes.h"
#include "files/TextFile.h"
#include "files/Windows1252.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString Magic = QStringLiteral("KX207-Zeitreihe");
const QString IntervalKey = QStringLiteral("Intervall in s");
const QString CountKey = QStringLiteral("Anzahl");
const QString DurationKey = QStringLiteral("Dauer in s");
const QString StartKey = QStringLiteral("Start");
const QString AveragingKey = QStringLiteral("Mittelung");
const QString CalibrationKey = QStringLiteral("Kalibrierung in nm");
const QString WavelengthsKey = QStringLiteral("Wellenlängen in nm");
const QString BandKey = QStringLiteral("Band ± nm");
const QString DarkKey = QStringLiteral("Dunkelspektrum bei Belichtung");
const QString ReferenceKey = QStringLiteral("Referenzspektrum bei Belichtung");
// What the evaluation needs of the dark and reference beyond their whole Digits, one line each after
// the line above: the count of spectra in the mean, the mean unrounded, the spread of one spectrum,
// and the channels at full scale in any of them (1) or none (0).
const QString CountSuffix = QStringLiteral(": Anzahl");
const QString MeanSuffix = QStringLiteral(": Mittel in Digits");
const QString SpreadSuffix = QStringLiteral(": Streuung in Digits");
const QString SaturatedSuffix = QStringLiteral(": übersteuert");
const QString Estimated =
    QStringLiteral("Dunkel- und Referenzspektrum sind nur in ganzen Digits gespeichert: "
                   "die Unsicherheiten der Punkte sind geschätzt.");
const QString TimeHead = QStringLiteral("Zeit in s");
const QString AtMixing = QStringLiteral("Jetzt mischen");
const QString AtClick = QStringLiteral("Klick");
// Time, point, exposure, dark, reference, averaging: the cells before the readings.
constexpr int LeadingCells = 6;
constexpr int ReportedLines = 5;

QString Decimal(double value, int decimals) {
    const double rounded = std::nearbyint(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', decimals).replace(u'.', u',');
}

// No time, interval or wavelength of a series comes near this; larger numbers are edits.
constexpr double LargestNumber = 1e9;

// A number from 0 to LargestNumber in the writer's form or as a spreadsheet may have saved it back
// (decimal point).
std::optional<double> ReadDecimal(QString text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed().replace(u',', u'.'), &ok);
    if (!ok || !(value >= 0 && value <= LargestNumber)) return std::nullopt;
    return value;
}

std::optional<int> ReadWhole(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

// The lines of a dark or reference: exposure and whole Digits, as a spreadsheet shows them, then what
// the evaluation needs.
QStringList SpectrumLines(const QString& key, const Evidence& spectrum) {
    QString line = key + u';' + QString::number(spectrum.Exposure), means = key + MeanSuffix,
            spreads = key + SpreadSuffix, saturated = key + SaturatedSuffix;
    for (int c = 0; c < ChannelCount; ++c) {
        line += u';' + QString::number(std::nearbyint(spectrum.Mean[c]), 'f', 0);
        // Four places hold the mean of up to 16 whole Digits exactly.
        means += u';' + Decimal(spectrum.Mean[c], 4);
        spreads += u';' + Decimal(spectrum.Spread[c], 4);
        saturated += spectrum.Saturated[size_t(c)] ? QStringLiteral(";1") : QStringLiteral(";0");
    }
    return {line, key + CountSuffix + u';' + QString::number(spectrum.Count), means, spreads, saturated};
}

// The per-channel cells after a key; none when there are not one per channel or one is unreadable.
std::optional<ChannelMeans> ReadChannels(const QStringList& cells, int first, double high) {
    if (cells.size() != first + ChannelCount) return std::nullopt;
    ChannelMeans values{};
    for (int c = 0; c < ChannelCount; ++c) {
        const std::optional<double> value = ReadDecimal(cells[first + c]);
        if (!value || *value > high) return std::nullopt;
        values[c] = *value;
    }
    return values;
}

// A dark or reference line: its exposure and whole Digits, taken as the mean of an unknown count until
// the lines after it say more.
std::optional<Evidence> ReadSpectrum(const QStringList& cells) {
    const std::optional<int> exposure = cells.size() > 1 ? ReadWhole(cells[1], 0, 100) : std::nullopt;
    const std::optional<ChannelMeans> readings = ReadChannels(cells, 2, 65535);
    if (!exposure || !readings) return std::nullopt;
    ChannelReadings whole{};
    for (int c = 0; c < ChannelCount; ++c) {
        if ((*readings)[c] != std::floor((*readings)[c])) return std::nullopt;
        whole[c] = int32_t((*readings)[c]);
    }
    return EvidenceOfReadings(whole, *exposure);
}

// One of the lines after a dark or reference line; false when it is unreadable or has no spectrum to
// belong to.
bool ReadSpectrumDetail(const QStringList& cells, const QString& suffix, std::optional<Evidence>& spectrum) {
    if (!spectrum) return false;
    if (suffix == CountSuffix) {
        const std::optional<int> count = cells.size() == 2 ? ReadWhole(cells[1], 0, 1 << 20) : std::nullopt;
        if (!count) return false;
        spectrum->Count = *count;
        return true;
    }
    const std::optional<ChannelMeans> values = ReadChannels(cells, 1, suffix == SaturatedSuffix ? 1 : 65535);
    if (!values) return false;
    for (int c = 0; c < ChannelCount; ++c)
        if (suffix == SaturatedSuffix) {
            if ((*values)[c] != 0 && (*values)[c] != 1) return false;
            spectrum->Saturated[size_t(c)] = (*values)[c] == 1;
        }
    if (suffix == MeanSuffix) spectrum->Mean = *values;
    if (suffix == SpreadSuffix) spectrum->Spread = *values;
    return true;
}

// Reads one header line into the series; false when its value is unreadable.
bool ReadHeaderLine(const QStringList& cells, TimedSeries& series) {
    const QString& key = cells[0];
    const auto value = [&](int i) { return i < cells.size() ? cells[i] : QString(); };
    if (key == IntervalKey) {
        const std::optional<double> interval = ReadDecimal(value(1));
        if (!interval || *interval < 0.001) return false;
        series.Plan.Interval = *interval;
    } else if (key == CountKey) {
        const std::optional<int> count = ReadWhole(value(1), 0, std::numeric_limits<int>::max());
        if (!count) return false;
        series.Plan.Count = *count;
    } else if (key == DurationKey) {
        const std::optional<double> duration = ReadDecimal(value(1));
        if (!duration) return false;
        series.Plan.Duration = *duration;
    } else if (key == StartKey) {
        if (value(1) != AtClick && value(1) != AtMixing) return false;
        series.Plan.Start = value(1) == AtMixing ? SeriesStart::AtMixing : SeriesStart::AtClick;
    } else if (key == AveragingKey) {
        const std::optional<int> averaging = ReadWhole(value(1), 1, 16);
        if (!averaging) return false;
        series.Plan.Averaging = *averaging;
    } else if (key == CalibrationKey) {
        const std::optional<int> low = ReadWhole(value(1), 1, 10000), high = ReadWhole(value(2), 1, 10000);
        if (!low || !high || *low >= *high) return false;
        series.Calibration.SetRange(*low, *high);
    } else if (key == WavelengthsKey) {
        series.Wavelengths.clear();
        for (int i = 1; i < cells.size(); ++i) {
            const std::optional<double> wavelength = ReadDecimal(cells[i]);
            if (!wavelength) return false;
            series.Wavelengths.push_back(*wavelength);
        }
    } else if (key == BandKey) {
        const std::optional<int> band = ReadWhole(value(1), 0, 100);
        if (!band) return false;
        series.BandHalfWidth = *band;
    } else if (key == DarkKey || key == ReferenceKey) {
        const std::optional<Evidence> spectrum = ReadSpectrum(cells);
        if (!spectrum) return false;
        (key == DarkKey ? series.Dark : series.Reference) = spectrum;
    } else {
        for (const QString* spectrumKey : {&DarkKey, &ReferenceKey})
            for (const QString* suffix : {&CountSuffix, &MeanSuffix, &SpreadSuffix, &SaturatedSuffix})
                if (key == *spectrumKey + *suffix)
                    return ReadSpectrumDetail(cells, *suffix,
                                              spectrumKey == &DarkKey ? series.Dark : series.Reference);
    }
    return true;
}

// The beginning of a line as a report quotes it: its leading cells, "…" for the rest.
QString LineStart(const QStringList& cells) {
    return QStringLiteral("„%1%2“").arg(cells.mid(0, LeadingCells).join(u';'),
                                        cells.size() > LeadingCells ? QStringLiteral(";…") : QString());
}

// The spectrum of one line, or why it is none.
std::optional<SeriesSpectrum> ReadRow(const QStringList& cells, QString& reason) {
    if (cells.size() < LeadingCells + ChannelCount) {
        reason = QStringLiteral("unvollständig: ") + LineStart(cells);
        return std::nullopt;
    }
    if (cells.size() > LeadingCells + ChannelCount) {
        reason =
            QStringLiteral("hat %1 statt %2 Spalten: ").arg(cells.size()).arg(LeadingCells + ChannelCount) +
            LineStart(cells);
        return std::nullopt;
    }
    const auto unreadable = [&](int column) {
        reason = QStringLiteral("unlesbarer Wert „%1“ in Spalte %2").arg(cells[column]).arg(column + 1);
        return std::nullopt;
    };
    SeriesSpectrum spectrum;
    const std::optional<double> time = ReadDecimal(cells[0]);
    if (!time) return unreadable(0);
    spectrum.Time = *time;
    const std::optional<int> point = ReadWhole(cells[1], 0, std::numeric_limits<int32_t>::max());
    if (!point) return unreadable(1);
    spectrum.Point = *point;
    const std::optional<int> exposure = ReadWhole(cells[2], 0, 100);
    if (!exposure) return unreadable(2);
    spectrum.Exposure = int16_t(*exposure);
    const std::optional<int> dark = ReadWhole(cells[3], 0, 1), reference = ReadWhole(cells[4], 0, 1);
    if (!dark) return unreadable(3);
    if (!reference) return unreadable(4);
    spectrum.DarkSubtracted = *dark == 1;
    spectrum.ReferenceInForce = *reference == 1;
    const std::optional<int> averaging = ReadWhole(cells[5], 1, 16);
    if (!averaging) return unreadable(5);
    spectrum.Averaging = int8_t(*averaging);
    for (int c = 0; c < ChannelCount; ++c) {
        const std::optional<int> reading = ReadWhole(cells[LeadingCells + c], 0, 65535);
        if (!reading) return unreadable(LeadingCells + c);
        spectrum.Readings[c] = uint16_t(*reading);
    }
    return spectrum;
}

// What a file cut off while it was written lacks of its plan.
QString CutReport(const TimedSeries& series) {
    const int points = series.Spectra.empty() ? 0 : series.Spectra.back().Point + 1;
    const int missing = series.Plan.Count - points;
    if (missing == 1)
        return QStringLiteral("Die Datei endet vorzeitig: 1 der %1 Punkte fehlt.").arg(series.Plan.Count);
    if (missing > 1)
        return QStringLiteral("Die Datei endet vorzeitig: %1 der %2 Punkte fehlen.")
            .arg(missing)
            .arg(series.Plan.Count);
    if (series.Plan.Count == 0 && series.Plan.Duration > 0)
        return QStringLiteral("Die Datei endet vorzeitig: nach %1 von %2 s.")
            .arg(Decimal(series.Spectra.empty() ? 0 : series.Spectra.back().Time, 1),
                 Decimal(series.Plan.Duration, 1));
    return QStringLiteral("Die Datei endet vorzeitig.");
}

} // namespace

std::string TimeSeriesHeaderBytes(const TimedSeries& series) {
    QStringList lines{Magic + QStringLiteral(";2"),
                      IntervalKey + u';' + Decimal(series.Plan.Interval, 3),
                      CountKey + u';' + QString::number(series.Plan.Count),
                      DurationKey + u';' + Decimal(series.Plan.Duration, 3),
                      StartKey + u';' + (series.Plan.Start == SeriesStart::AtMixing ? AtMixing : AtClick),
                      AveragingKey + u';' + QString::number(series.Plan.Averaging),
                      CalibrationKey + u';' + QString::number(series.Calibration.LambdaMin) + u';' +
                          QString::number(series.Calibration.LambdaMax)};
    QString wavelengths = WavelengthsKey;
    for (double wavelength : series.Wavelengths)
        wavelengths += u';' + Decimal(wavelength, 1);
    lines << wavelengths << BandKey + u';' + QString::number(series.BandHalfWidth);
    if (series.Dark) lines << SpectrumLines(DarkKey, *series.Dark);
    if (series.Reference) lines << SpectrumLines(ReferenceKey, *series.Reference);
    QString heads = TimeHead + QStringLiteral(";Punkt;Belichtung;Dunkelabzug;Referenz;Mittelung");
    for (int c = 0; c < ChannelCount; ++c)
        heads += QStringLiteral(";%1 nm").arg(ChannelWavelength(series.Calibration, c, 0));
    lines << heads;
    return ToWindows1252(lines.join(QStringLiteral("\r\n"))) + "\r\n";
}

std::string TimeSeriesRowBytes(const SeriesSpectrum& spectrum) {
    std::string row = Decimal(spectrum.Time, 3).toStdString() + ';' + std::to_string(spectrum.Point) + ';' +
                      std::to_string(spectrum.Exposure) + ';' + (spectrum.DarkSubtracted ? "1;" : "0;") +
                      (spectrum.ReferenceInForce ? "1;" : "0;") + std::to_string(spectrum.Averaging);
    for (uint16_t reading : spectrum.Readings)
        row += ';' + std::to_string(reading);
    return row + "\r\n";
}

TimeSeriesFileWriter::TimeSeriesFileWriter(const std::string& path, const TimedSeries& series) : file_(path) {
    file_.Append(TimeSeriesHeaderBytes(series));
}

void TimeSeriesFileWriter::Append(const SeriesSpectrum& spectrum) {
    file_.Append(TimeSeriesRowBytes(spectrum));
}

TimeSeriesFileLoad ParseTimeSeriesFile(std::string_view bytes) {
    TimeSeriesFileLoad load;
    const QStringList lines = SplitTextLines(bytes);
    if (lines.isEmpty() || !lines[0].startsWith(Magic + u';')) {
        load.Report = QStringLiteral("Die Datei ist keine Zeitreihe.");
        return load;
    }
    TimedSeries series;
    QStringList problems;
    qsizetype i = 1;
    for (; i < lines.size() && !lines[i].startsWith(TimeHead + u';'); ++i)
        if (!ReadHeaderLine(lines[i].split(u';'), series))
            problems << QStringLiteral("Kopfzeile %1 unlesbar: ").arg(i + 1) +
                            LineStart(lines[i].split(u';'));
    // A last line without its line end was cut off while it was written: its last number may be short.
    const bool cutShort = !bytes.empty() && bytes.back() != '\n';
    double lastTime = -std::numeric_limits<double>::infinity();
    for (++i; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty()) continue;
        QString reason;
        std::optional<SeriesSpectrum> spectrum = ReadRow(lines[i].split(u';'), reason);
        if (spectrum && i == lines.size() - 1 && cutShort) {
            spectrum.reset();
            reason = QStringLiteral("unvollständig: ") + LineStart(lines[i].split(u';'));
        }
        if (spectrum && spectrum->Time < lastTime) {
            spectrum.reset();
            reason = QStringLiteral("Zeit läuft rückwärts: ") + LineStart(lines[i].split(u';'));
        }
        if (!spectrum) {
            if (++load.SkippedLines <= ReportedLines)
                problems << QStringLiteral("Zeile %1 %2").arg(i + 1).arg(reason);
            continue;
        }
        lastTime = spectrum->Time;
        series.Spectra.push_back(*spectrum);
    }
    if (load.SkippedLines > ReportedLines)
        problems << QStringLiteral("%1 weitere Zeilen").arg(load.SkippedLines - ReportedLines);
    if (bytes.size() >= MaxTextFileBytes)
        problems << QStringLiteral("nur die ersten %1 MiB gelesen").arg(MaxTextFileBytes >> 20);
    if (!problems.isEmpty()) load.Report = QStringLiteral("Übersprungen:\n") + problems.join(u'\n');
    if (cutShort) load.Report += (problems.isEmpty() ? QString() : QStringLiteral("\n")) + CutReport(series);
    // A file of the first form kept dark and reference in whole Digits alone: their noise is assumed.
    bool estimated = false;
    for (std::optional<Evidence>* spectrum : {&series.Dark, &series.Reference})
        if (*spectrum) {
            (*spectrum)->Calibration = series.Calibration;
            estimated |=
                (*spectrum)->Count == 0 && std::all_of((*spectrum)->Spread.begin(), (*spectrum)->Spread.end(),
                                                       [](double spread) { return spread == 0; });
        }
    if (estimated) load.Report += (load.Report.isEmpty() ? QString() : QStringLiteral("\n")) + Estimated;
    load.Series = std::move(series);
    return load;
}

TimeSeriesFileLoad LoadTimeSeriesFile(const std::string& path) {
    std::string bytes;
    TimeSeriesFileLoad load;
    load.Error = ReadFileBytes(path, std::numeric_limits<qsizetype>::max(), bytes);
    if (load.Error != 0) return load;
    return ParseTimeSeriesFile(bytes);
}
