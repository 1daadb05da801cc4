// The sample line files that the package ships and the launcher copies into each user's library:
// the program must list them and draw every line they hold.
#include "lines/LineFile.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

const QString SampleFolder = QStringLiteral(KX207_SAMPLE_LINE_FILES);

std::vector<LineFileEntry> Samples() {
    return ListLineFiles(SampleFolder);
}

TEST(SampleLineFiles, AreListedInTheLibrary) {
    EXPECT_GE(Samples().size(), 5u);
}

TEST(SampleLineFiles, AreWindows1252TextWithCrLfLineEnds) {
    for (const LineFileEntry& sample : Samples()) {
        QFile file(SampleFolder + '/' + sample.FileName);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << sample.FileName.toStdString();
        const QByteArray bytes = file.readAll();
        ASSERT_TRUE(bytes.endsWith("\r\n")) << sample.FileName.toStdString();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << sample.FileName.toStdString();
        EXPECT_EQ(bytes.count('\r'), bytes.count("\r\n")) << sample.FileName.toStdString();
        // Read as Windows-1252, UTF-8 text would show its lead bytes as "Ã" or "Â".
        const QString name = ReadLineFile(file.fileName()).Name;
        EXPECT_FALSE(name.contains(QChar(0xC3)) || name.contains(QChar(0xC2))) << name.toStdString();
    }
}

TEST(SampleLineFiles, NameTheSourceAndHoldRisingVisibleWavelengths) {
    for (const LineFileEntry& sample : Samples()) {
        const LineFile lines = ReadLineFile(SampleFolder + '/' + sample.FileName);
        const std::string which = sample.FileName.toStdString();
        EXPECT_TRUE(lines.Name.startsWith(sample.Caption + " - ")) << which;
        ASSERT_FALSE(lines.Entries.isEmpty()) << which;
        int32_t previous = 0;
        for (const QString& entry : lines.Entries) {
            int32_t nm = 0;
            ASSERT_TRUE(LineWavelength(entry, nm)) << which << ": " << entry.toStdString();
            EXPECT_GE(nm, 360) << which;
            EXPECT_LE(nm, 750) << which;
            EXPECT_GT(nm, previous) << which;
            previous = nm;
        }
    }
}

} // namespace
