// SPDX-License-Identifier: GPL-3.0-or-later
// The table for a lab report as LibreOffice Calc in a German locale reads it.
#include "LabTableFixture.h"

#include <QProcess>
#include <QXmlStreamReader>

namespace {

// Each row of the first table of a flat OpenDocument spreadsheet: the cells' types and values.
std::vector<std::vector<std::pair<QString, QString>>> SpreadsheetRows(const QByteArray& document) {
    std::vector<std::vector<std::pair<QString, QString>>> rows;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement()) continue;
        if (xml.name() == u"table-row") rows.emplace_back();
        if (xml.name() != u"table-cell" || rows.empty()) continue;
        const QXmlStreamAttributes cell = xml.attributes();
        const int repeated = std::max(cell.value(QStringLiteral("table:number-columns-repeated")).toInt(), 1);
        for (int i = 0; i < repeated; ++i)
            rows.back().emplace_back(cell.value(QStringLiteral("office:value-type")).toString(),
                                     cell.value(QStringLiteral("office:value")).toString());
    }
    return rows;
}

TEST(LabTableFile, EveryNumberArrivesInCalcAsANumber) {
    TempFolder folder;
    LabTable table = SampleTable();
    TakeEveryColumn(table);
    SaveLabTable(folder.File("bericht.csv"), table);

    // Opened as a German Calc opens a CSV file: ";" separated, Windows-1252, German number forms.
    QProcess calc;
    calc.start(
        QStringLiteral("soffice"),
        {QStringLiteral("--headless"),
         QStringLiteral("-env:UserInstallation=file://") + QString::fromStdString(folder.File("profile")),
         QStringLiteral("--infilter=CSV:59,34,1,1,,1031"), QStringLiteral("--convert-to"),
         QStringLiteral("fods"), QStringLiteral("--outdir"), QString::fromStdString(folder.Path()),
         QString::fromStdString(folder.File("bericht.csv"))});
    ASSERT_TRUE(calc.waitForFinished(110000)) << "LibreOffice Calc (package libreoffice-calc) did not run";
    const auto rows =
        SpreadsheetRows(QByteArray::fromStdString(TempFolder::Read(folder.File("bericht.fods"))));
    ASSERT_GE(rows.size(), 130u) << calc.readAllStandardError().toStdString();
    EXPECT_EQ(rows[0][0], std::make_pair(QStringLiteral("string"), QStringLiteral("")));
    EXPECT_EQ(rows[1][6].first, "string");
    for (int c = 0; c < ChannelCount; ++c) {
        const auto& row = rows[2 + c];
        ASSERT_GE(row.size(), 7u) << c;
        for (int column = 0; column < 7; ++column) {
            const ChannelColumn* taken[] = {&table.TransmissionPercent, &table.Extinction};
            const bool empty = column >= 5 && !std::isfinite((**taken[column - 5])[c]);
            EXPECT_EQ(row[column].first, empty ? "" : "float") << "channel " << c << ", column " << column;
        }
        EXPECT_EQ(row[0].second.toInt(), c);
        EXPECT_NEAR(row[1].second.toDouble(), 380 + c * 320 / 127.0, 0.05) << "one decimal, read as a number";
        EXPECT_EQ(row[2].second.toInt(), table.Readings[c]);
        EXPECT_DOUBLE_EQ(row[3].second.toDouble(), (*table.Dark)[c]) << c;
    }
    EXPECT_EQ(rows[5][5].second, "22.2");
    EXPECT_EQ(rows[4][6].second, "0");
}

} // namespace
