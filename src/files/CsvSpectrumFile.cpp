// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CsvSpectrumFile.h"

#include "files/AtomicFile.h"
#include "files/TextFile.h"
#include "files/Windows1252.h"

#include <QStringView>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

QString TitlePrefix() {
    return QStringLiteral("Spektrum: ");
}

// Title line, column header and one line per channel.
constexpr qsizetype FileLineCount = 2 + ChannelCount;

int DigitValue(QChar c, int base) {
    const char16_t code = c.unicode();
    if (code >= u'0' && code <= u'9') return code - u'0';
    if (base == 16 && code >= u'a' && code <= u'f') return code - u'a' + 10;
    if (base == 16 && code >= u'A' && code <= u'F') return code - u'A' + 10;
    return -1;
}

// The number at the start of `text`: blanks skipped, one optional sign, then decimal digits, or
// hexadecimal ones after "$", "x", "X", "0x" or "0X", up to the first other character. No digits give 0;
// values beyond 32 bits stop at the nearer bound.
int32_t LeadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    int base = 10;
    const QStringView number = text.mid(i);
    if (number.startsWith(u'$') || number.startsWith(u'x', Qt::CaseInsensitive)) {
        base = 16;
        i += 1;
    } else if (number.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        i += 2;
    }
    const int64_t limit = int64_t(INT32_MAX) + 1;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0) break;
        magnitude = std::min(magnitude * base + digit, limit);
    }
    return static_cast<int32_t>(negative ? -magnitude : std::min(magnitude, limit - 1));
}

QStringView AfterFirstSeparator(QStringView text) {
    const qsizetype comma = text.indexOf(u',');
    return comma < 0 ? text : text.mid(comma + 1);
}

// The first line as the one cell it is in a spreadsheet. A spreadsheet that saves the file again quotes
// the cell where the name holds a quote or a separator ("Spektrum: a ""b"""), and fills the row with
// empty cells to the width of the others (;;). The program's own title lines never start with a quote;
// only a name ending in two separators or more loses them.
QString TitleCell(const QString& line) {
    QString cell;
    qsizetype rest = 0;
    if (line.startsWith(u'"')) {
        for (rest = 1; rest < line.size(); ++rest) {
            if (line[rest] != u'"') {
                cell += line[rest];
            } else if (rest + 1 < line.size() && line[rest + 1] == u'"') {
                cell += u'"';
                ++rest;
            } else {
                ++rest;
                break;
            }
        }
    }
    cell += QStringView(line).mid(rest);
    // The filling is two empty cells at least (the header has three columns), so a name that merely
    // ends in one separator keeps it.
    qsizetype end = cell.size();
    while (end > 0 && (cell[end - 1] == u';' || cell[end - 1] == u','))
        --end;
    return cell.size() - end >= 2 ? cell.left(end) : cell;
}

// Whether `title` is that of a table for a lab report, which names its date and calibration beside the name.
bool IsLabTableTitle(const QString& title) {
    return title.contains(QStringLiteral(";Kalibrierung: "));
}

// Title, name and readings from the first lines of a spectrum file.
SpectrumFileContents SpectrumFromLines(const QStringList& lines) {
    SpectrumFileContents contents;
    const QString title = TitleCell(lines.value(0));
    // A table's cells hold decimal commas, which would read as separators; its whole numbers count.
    const bool table = IsLabTableTitle(title);
    if (!title.contains(u"Kanal")) contents.Name = title.mid(TitlePrefix().size());
    // A file that starts with the column header has no title line: its data follows at once.
    const qsizetype firstDataLine = title.startsWith(u"Kanal") ? 1 : 2;
    for (int i = 0; i < ChannelCount; ++i) {
        QString line = lines.value(firstDataLine + i);
        if (line.isEmpty()) continue;
        if (table) line.replace(u',', u'.');
        line.replace(u';', u',');
        const QStringView wavelengthField = AfterFirstSeparator(line);
        const int32_t wavelength = LeadingNumber(wavelengthField);
        if (i == 0) contents.LambdaMin = wavelength;
        if (i == ChannelCount - 1) contents.LambdaMax = wavelength;
        contents.Readings[i] = LeadingNumber(AfterFirstSeparator(wavelengthField));
    }
    return contents;
}

// Whether `line` is the column header of a spectrum file, as written or as a spreadsheet saves it again.
bool SpectrumColumnHeader(QString line) {
    line.replace(u',', u';');
    while (line.endsWith(u';'))
        line.chop(1);
    return line == QStringLiteral("Kanal;nm;Digits");
}

// More lines than any spectrum of the instrument has; a longer file is read no further.
constexpr qsizetype ComparisonLineLimit = 4096;

ComparisonFile ComparisonFromLines(const QStringList& lines) {
    ComparisonFile comparison;
    const QString title = TitleCell(lines.value(0));
    const qsizetype headerLine = title.startsWith(u"Kanal") ? 0 : 1;
    // A table for a lab report may have a spectrum's columns alone.
    if (!SpectrumColumnHeader(lines.value(headerLine)) || IsLabTableTitle(title)) {
        comparison.Refusal = QStringLiteral("Die Datei ist keine Spektrumdatei: Ihre Spalten sind nicht "
                                            "„Kanal;nm;Digits“.");
        return comparison;
    }
    if (headerLine == 1) comparison.Name = title.mid(TitlePrefix().size());
    std::vector<std::pair<double, double>> points; // wavelength, reading
    for (qsizetype i = headerLine + 1; i < lines.size() && !lines[i].isEmpty(); ++i) {
        QString line = lines[i];
        line.replace(u';', u',');
        const QStringView wavelengthField = AfterFirstSeparator(line);
        const double wavelength = LeadingNumber(wavelengthField);
        if (!points.empty() && !(wavelength > points.back().first)) {
            comparison.Refusal = QStringLiteral("Die Wellenlängen der Datei steigen nicht an.");
            return comparison;
        }
        points.emplace_back(wavelength, LeadingNumber(AfterFirstSeparator(wavelengthField)));
    }
    if (points.size() < 2) {
        comparison.Refusal = QStringLiteral("Die Datei enthält keine Messwerte.");
        return comparison;
    }
    comparison.Calibration.SetRange(int32_t(points.front().first), int32_t(points.back().first));
    if (points.size() == size_t(ChannelCount)) {
        for (int c = 0; c < ChannelCount; ++c)
            comparison.Readings[c] = int32_t(points[size_t(c)].second);
        return comparison;
    }
    // Each channel's reading lies on the straight line between the file's two wavelengths around it.
    const double first = points.front().first;
    const double step = (points.back().first - first) / (ChannelCount - 1);
    size_t next = 1;
    for (int c = 0; c < ChannelCount; ++c) {
        const double lambda = first + c * step;
        while (next + 1 < points.size() && points[next].first < lambda)
            ++next;
        const auto& [fromLambda, fromReading] = points[next - 1];
        const auto& [toLambda, toReading] = points[next];
        const double share = std::clamp((lambda - fromLambda) / (toLambda - fromLambda), 0.0, 1.0);
        comparison.Readings[c] = RoundHalfEven(fromReading + share * (toReading - fromReading));
    }
    return comparison;
}

} // namespace

void SaveSpectrumFile(const std::string& path, const QString& title,
                      const std::array<int32_t, ChannelCount>& readings,
                      const WavelengthCalibration& calibration) {
    QString titleLine = TitlePrefix() + title;
    // A line break in the name would move every channel of the file one line down.
    titleLine.replace(u'\r', u' ').replace(u'\n', u' ');
    std::string bytes = ToWindows1252(titleLine) + "\r\nKanal;nm;Digits\r\n";
    for (int c = 0; c < ChannelCount; ++c)
        bytes += std::to_string(c) + ';' + std::to_string(ChannelWavelength(calibration, c, 0)) + ';' +
                 std::to_string(readings[c]) + "\r\n";
    WriteFileAtomically(path, bytes);
}

SpectrumFileContents LoadSpectrumFile(const std::string& path) {
    const TextFileLines file = ReadTextFileLines(path, FileLineCount);
    SpectrumFileContents contents = SpectrumFromLines(file.Lines);
    contents.IoResult = file.Error;
    return contents;
}

SpectrumFileContents ParseSpectrumFile(std::string_view bytes) {
    return SpectrumFromLines(SplitTextLines(bytes, FileLineCount));
}

ComparisonFile LoadComparisonFile(const std::string& path) {
    const TextFileLines file = ReadTextFileLines(path, ComparisonLineLimit);
    if (file.Error != 0) {
        ComparisonFile failed;
        failed.IoResult = file.Error;
        return failed;
    }
    return ComparisonFromLines(file.Lines);
}

ComparisonFile ParseComparisonFile(std::string_view bytes) {
    return ComparisonFromLines(SplitTextLines(bytes, ComparisonLineLimit));
}

void ApplySpectrumFile(const SpectrumFileContents& file, std::array<int32_t, ChannelCount>& readings,
                       WavelengthCalibration& calibration) {
    for (int c = 0; c < ChannelCount; ++c)
        if (file.Readings[c]) readings[c] = *file.Readings[c];
    calibration.SetRange(file.LambdaMin.value_or(calibration.LambdaMin),
                         file.LambdaMax.value_or(calibration.LambdaMax));
}

QString WithCsvExtension(const QString& fileName) {
    const qsizetype lastPart = fileName.lastIndexOf(u'/') + 1;
    return fileName.indexOf(u'.', lastPart) < 0 ? fileName + QStringLiteral(".csv") : fileName;
}
