// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/CsvSpectrumFile.h"

#include "CsvSpectrumFileFixture.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

TEST_F(CsvSpectrumFile, SaveWritesTitleHeaderAndOneCrLfLinePerChannel) {
    const std::string path = folder.File("hg.csv");
    SaveSpectrumFile(path, QStringLiteral("Hg-Lampe"), SampleReadings(), WavelengthCalibration());
    const std::string bytes = TempFolder::Read(path);
    const std::vector<std::string> lines = SplitCrlf(bytes);
    ASSERT_EQ(lines.size(), 131u);
    EXPECT_EQ(lines.back(), "");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(lines[0], "Spektrum: Hg-Lampe");
    EXPECT_EQ(lines[1], "Kanal;nm;Digits");
    EXPECT_EQ(lines[2], "0;360;0");
    EXPECT_EQ(lines[3], "1;362;37");
    EXPECT_EQ(lines[4], "2;365;74");
    EXPECT_EQ(lines[5], "3;367;111");
    EXPECT_EQ(lines[7], "5;372;-12");
    EXPECT_EQ(lines[65], "63;516;283");
    EXPECT_EQ(lines[66], "64;519;320");
    EXPECT_EQ(lines[128], "126;673;566");
    EXPECT_EQ(lines[129], "127;675;603");
}

TEST_F(CsvSpectrumFile, TitleLineHoldsTheNameWithoutLineBreaks) {
    const std::string path = folder.File("t.csv");
    SaveSpectrumFile(path, QString(), Readings{}, WavelengthCalibration());
    EXPECT_EQ(SplitCrlf(TempFolder::Read(path))[0], "Spektrum: ");
    SaveSpectrumFile(path, QStringLiteral("Kanal 3 "), Readings{}, WavelengthCalibration());
    EXPECT_EQ(SplitCrlf(TempFolder::Read(path))[0], "Spektrum: Kanal 3 ");

    SaveSpectrumFile(path, QStringLiteral("a\nb\r\nc"), Readings{}, WavelengthCalibration());
    const std::vector<std::string> lines = SplitCrlf(TempFolder::Read(path));
    EXPECT_EQ(lines.size(), 131u);
    EXPECT_EQ(lines[0], "Spektrum: a b  c");
}

// A spectrum saved to `path` loads back as it was.
void ExpectSavedFileLoadsBack(const std::string& path) {
    SCOPED_TRACE(path);
    WavelengthCalibration saved;
    saved.SetRange(400, 654);
    const QString name = QStringLiteral("  Hg  Kalibrierlampe ");
    SaveSpectrumFile(path, name, SampleReadings(), saved);

    const SpectrumFileContents file = LoadSpectrumFile(path);
    EXPECT_EQ(file.IoResult, 0);
    EXPECT_EQ(file.Name, name);
    Readings readings{};
    readings.fill(999);
    WavelengthCalibration loaded;
    ApplySpectrumFile(file, readings, loaded);
    EXPECT_EQ(readings, SampleReadings());
    EXPECT_EQ(loaded.LambdaMin, 400);
    EXPECT_EQ(loaded.LambdaMax, 654);
    EXPECT_EQ(loaded.NmPerChannel, 2.0);
}

TEST_F(CsvSpectrumFile, SavedFileLoadsBackToTheSameSpectrum) {
    // Names beyond ASCII, and a path of 250 characters, which the save's temporary name takes past the
    // system's path limit on Windows.
    const std::string deep = folder.File(std::string(179 - folder.Path().size(), 'o'));
    const std::string longest = deep + "/" + std::string(65, 'x') + ".csv";
    ASSERT_EQ(longest.size(), 250u);
    for (const std::string& subfolder : {folder.File("Müller"), deep})
        std::filesystem::create_directory(std::filesystem::u8path(subfolder));
    for (const std::string& path : {folder.File("round.csv"), folder.File("Müller/Übung-ä.csv"), longest})
        ExpectSavedFileLoadsBack(path);
}

TEST_F(CsvSpectrumFile, WindowsFileWithUmlautsLoadsAndSavesByteForByte) {
    const std::string path = folder.File("windows.csv");
    SaveSpectrumFile(path, QStringLiteral("x"), SampleReadings(), WavelengthCalibration());
    std::vector<std::string> lines = SplitCrlf(TempFolder::Read(path));
    lines.pop_back();
    lines[0] = "Spektrum: Gl\xFChlampe \xC4\xD6\xDC\xDF \x80 \x81\x9D";
    const std::string original = Crlf(lines);
    TempFolder::Write(path, original);

    const SpectrumFileContents file = LoadSpectrumFile(path);
    EXPECT_EQ(file.Name, QStringLiteral("Glühlampe ÄÖÜß € \u0081\u009D"));
    Readings readings{};
    WavelengthCalibration calibration;
    ApplySpectrumFile(file, readings, calibration);
    SaveSpectrumFile(path, file.Name, readings, calibration);
    EXPECT_EQ(TempFolder::Read(path), original);
}

TEST_F(CsvSpectrumFile, FirstLineGivesTheNameAfterTenCharacters) {
    auto nameOf = [this](const std::string& title) { return LoadLines({title, "Kanal;nm;Digits"}).Name; };
    EXPECT_EQ(nameOf("Spektrum: Neon"), QStringLiteral("Neon"));
    EXPECT_EQ(nameOf("0123456789Neon "), QStringLiteral("Neon "));
    EXPECT_EQ(nameOf("Spektrum: "), QString());
    EXPECT_EQ(nameOf("Spektrum"), QString());
    EXPECT_EQ(nameOf("Spektrum: Kanal 3"), QString());
    EXPECT_EQ(nameOf("Spektrum: kanal 3"), QStringLiteral("kanal 3"));
    // The line as one spreadsheet cell: quotes and the empty cells that fill the row go.
    EXPECT_EQ(nameOf("\"Spektrum: Hg \"\"3\"\"; Na\";;"), QStringLiteral("Hg \"3\"; Na"));
    EXPECT_EQ(nameOf("\"Spektrum: offen"), QStringLiteral("offen"));
    EXPECT_EQ(nameOf("Spektrum: Neon;;"), QStringLiteral("Neon"));
    EXPECT_EQ(nameOf("Spektrum: Neon,,"), QStringLiteral("Neon"));
    EXPECT_EQ(nameOf("Spektrum: Neon;"), QStringLiteral("Neon;"));
    EXPECT_EQ(nameOf("Spektrum: Neon;;,,"), QStringLiteral("Neon"));
    EXPECT_EQ(nameOf("Spektrum: \"Neon\""), QStringLiteral("\"Neon\""));
    EXPECT_EQ(nameOf("\"Spektrum: Kanal 3\";;"), QString());
}

TEST_F(CsvSpectrumFile, FilesASpreadsheetSavedAgainLoadWithNameAndReadings) {
    const std::string utf8 = TempFolder::Read(KX207_TEST_DATA "/calc-utf-8.csv");
    const std::string marked = folder.File("marked.csv");
    TempFolder::Write(marked, "\xEF\xBB\xBF" + utf8);
    const std::vector<std::pair<std::string, QString>> cases = {
        {KX207_TEST_DATA "/calc-windows-1252.csv", QStringLiteral("Hg-Lampe Übung Nr. 3 \"Linien\"")},
        {KX207_TEST_DATA "/calc-utf-8.csv", QStringLiteral("Glühlampe 60 W")},
        {marked, QStringLiteral("Glühlampe 60 W")}};
    for (const auto& [path, name] : cases) {
        const SpectrumFileContents file = LoadSpectrumFile(path);
        EXPECT_EQ(file.Name, name) << path;
        Readings readings{};
        WavelengthCalibration calibration;
        ApplySpectrumFile(file, readings, calibration);
        EXPECT_EQ(readings, SampleReadings()) << path;
        EXPECT_EQ(calibration.LambdaMin, 380) << path;
        EXPECT_EQ(calibration.LambdaMax, 700) << path;
    }
}

TEST_F(CsvSpectrumFile, CommaAndSemicolonBothSeparateFields) {
    const SpectrumFileContents file =
        LoadLines({"Spektrum: a", "Kanal;nm;Digits", "0,350;10", "1,352,11", "2;355,12", "3;357;13"});
    EXPECT_EQ(file.LambdaMin, 350);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(file.Readings[c], 10 + c) << c;
}

TEST_F(CsvSpectrumFile, NumbersAreReadFromTheStartOfAField) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        // Decimal, up to the first character that is no digit; no digits give 0.
        {"1;362;+7", 7},
        {"1;362;   42", 42},
        {"1;362;0042", 42},
        {"1;362;12abc", 12},
        {"1;362;-3.9", -3},
        {"1;362;12;99;x", 12},
        {"1;362;abc", 0},
        {"1;362;", 0},
        {"1;362;\t5", 0},
        {"   ", 0},
        // Without a second or any separator the same number serves twice.
        {"1;362", 362},
        {"77", 77},
        // A sign followed by anything but digits.
        {"1;362;-abc", 0},
        {"1;362;-", 0},
        {"1;362;- 5", 0},
        {"1;362;+-5", 0},
        // Hexadecimal forms.
        {"1;362;$1A", 26},
        {"1;362;x1A", 26},
        {"1;362;X1a", 26},
        {"1;362;0x1a", 26},
        {"1;362;0X1A", 26},
        {"1;362; $1a", 26},
        {"1;362;-$10", -16},
        {"1;362;$1G", 1},
        {"1;362;$", 0},
        {"1;362;0xZ", 0},
        {"1;362;1A", 1},
        // Beyond 32 bits the nearer bound.
        {"1;362;2147483647", INT32_MAX},
        {"1;362;2147483648", INT32_MAX},
        {"1;362;99999999999999999999999999", INT32_MAX},
        {"1;362;$FFFFFFFFFF", INT32_MAX},
        {"1;362;-2147483648", INT32_MIN},
        {"1;362;-2147483649", INT32_MIN},
        {"1;362;-99999999999999999999999999", INT32_MIN}};
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(ReadingOf(line), expected) << line;
    const SpectrumFileContents file = LoadLines({"Spektrum: a", "Kanal;nm;Digits", "0;-99999999999;0"});
    EXPECT_EQ(file.LambdaMin, INT32_MIN);
}

TEST_F(CsvSpectrumFile, LinesOfChannelsZeroAnd127GiveTheWavelengthEnds) {
    std::vector<std::string> lines = {"Spektrum: a", "Kanal;nm;Digits"};
    for (int c = 0; c < ChannelCount; ++c)
        lines.push_back("9;" + std::to_string(300 + c) + ";" + std::to_string(c));
    const SpectrumFileContents file = LoadLines(lines);
    EXPECT_EQ(file.LambdaMin, 300);
    EXPECT_EQ(file.LambdaMax, 427);
    EXPECT_EQ(file.Readings[127], 127);
}

TEST_F(CsvSpectrumFile, EmptyAndMissingLinesKeepWhatWasHeld) {
    std::vector<std::string> lines = {"Spektrum: kurz", "Kanal;nm;Digits", "0;400;1", "", "2;365;5"};
    for (int c = 3; c < 48; ++c)
        lines.push_back(std::to_string(c) + ";0;" + std::to_string(c));
    ASSERT_EQ(lines.size(), 50u);
    const SpectrumFileContents file = LoadLines(lines);
    EXPECT_EQ(file.LambdaMin, 400);
    EXPECT_FALSE(file.LambdaMax);

    Readings readings;
    readings.fill(-1);
    WavelengthCalibration calibration;
    calibration.SetRange(380, 700);
    ApplySpectrumFile(file, readings, calibration);
    EXPECT_EQ(readings[0], 1);
    EXPECT_EQ(readings[1], -1);
    EXPECT_EQ(readings[2], 5);
    EXPECT_EQ(readings[47], 47);
    EXPECT_EQ(readings[48], -1);
    EXPECT_EQ(readings[127], -1);
    EXPECT_EQ(calibration.LambdaMin, 400);
    EXPECT_EQ(calibration.LambdaMax, 700);
    EXPECT_EQ(calibration.NmPerChannel, 300.0 / 127.0);
}

TEST_F(CsvSpectrumFile, LinesAfterTheLastChannelAreNotRead) {
    const std::string path = folder.File("long.csv");
    SaveSpectrumFile(path, QStringLiteral("a"), SampleReadings(), WavelengthCalibration());
    std::string bytes = TempFolder::Read(path);
    for (int extra = 0; extra < 70; ++extra)
        bytes += "Kanal;0;0\r\n";
    TempFolder::Write(path, bytes);
    const SpectrumFileContents file = LoadSpectrumFile(path);
    Readings readings{};
    WavelengthCalibration calibration;
    ApplySpectrumFile(file, readings, calibration);
    EXPECT_EQ(readings, SampleReadings());
    EXPECT_EQ(calibration.LambdaMax, 675);
}

TEST_F(CsvSpectrumFile, AHugeFileWithoutLineEndsIsReadOnlyInPart) {
    // 1 GiB of one endless line, as a disk image picked in the preview might be; the file is sparse.
    const std::string path = folder.File("huge.csv");
    TempFolder::Write(path, "Spektrum: riesig");
    std::filesystem::resize_file(path, std::uintmax_t(1) << 30);
    const SpectrumFileContents file = LoadSpectrumFile(path);
    EXPECT_TRUE(file.Opened());
    EXPECT_LE(file.Name.size(), 16 << 20);
    for (const auto& reading : file.Readings)
        EXPECT_FALSE(reading.has_value());
}

TEST_F(CsvSpectrumFile, LfLineEndsLoadAsWell) {
    const std::string path = folder.File("lf.csv");
    TempFolder::Write(path, "Spektrum: LF\nKanal;nm;Digits\n0;410;3\n1;412;4");
    const SpectrumFileContents file = LoadSpectrumFile(path);
    EXPECT_EQ(file.Name, QStringLiteral("LF"));
    EXPECT_EQ(file.LambdaMin, 410);
    EXPECT_EQ(file.Readings[0], 3);
    EXPECT_EQ(file.Readings[1], 4);
}

TEST_F(CsvSpectrumFile, FileStartingWithTheHeaderHasItsDataRightAfterIt) {
    const SpectrumFileContents file = LoadLines({"Kanal;nm;Digits", "0;380;10", "1;382;11"});
    EXPECT_EQ(file.Name, QString());
    EXPECT_EQ(file.LambdaMin, 380);
    EXPECT_EQ(file.Readings[0], 10);
    EXPECT_EQ(file.Readings[1], 11);
    EXPECT_FALSE(file.Readings[2]);
}

TEST_F(CsvSpectrumFile, FileThatCannotBeReadGivesItsErrorAndNothingElse) {
    std::vector<std::pair<std::string, int>> cases = UnreadableSpecialFiles(folder);
    cases.insert(cases.end(), {{folder.File("missing.csv"), ENOENT}, {folder.Path(), EISDIR}});
    for (const auto& [path, error] : cases) {
        const SpectrumFileContents file = LoadSpectrumFile(path);
        EXPECT_FALSE(file.Opened()) << path;
        EXPECT_EQ(file.IoResult, error) << path;
        EXPECT_EQ(file.Name, QString());
        Readings readings;
        readings.fill(7);
        WavelengthCalibration calibration;
        calibration.SetRange(390, 690);
        ApplySpectrumFile(file, readings, calibration);
        EXPECT_EQ(readings[0], 7);
        EXPECT_EQ(readings[127], 7);
        EXPECT_EQ(calibration.LambdaMin, 390);
        EXPECT_EQ(calibration.LambdaMax, 690);
    }
}

TEST_F(CsvSpectrumFile, FailedSaveThrowsTheSystemErrorAndLeavesTheOldFile) {
    const Readings readings = SampleReadings();
    try {
        SaveSpectrumFile(folder.File("no/such/folder.csv"), QString(), readings, WavelengthCalibration());
        FAIL() << "no error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code().value(), ENOENT);
    }
    EXPECT_THROW(SaveSpectrumFile(folder.Path(), QString(), readings, WavelengthCalibration()),
                 std::system_error);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 0)
        << "no temporary file may stay behind";
}

TEST(CsvFileName, CsvIsAppendedOnlyWithoutAnyExtension) {
    EXPECT_EQ(WithCsvExtension(QStringLiteral("/home/k/spectrum1")), QStringLiteral("/home/k/spectrum1.csv"));
    EXPECT_EQ(WithCsvExtension(QStringLiteral("/home/k/spectrum1.txt")),
              QStringLiteral("/home/k/spectrum1.txt"));
    EXPECT_EQ(WithCsvExtension(QStringLiteral("/home/k/spectrum1.")), QStringLiteral("/home/k/spectrum1."));
    EXPECT_EQ(WithCsvExtension(QStringLiteral("/home/k.v/spectrum1")),
              QStringLiteral("/home/k.v/spectrum1.csv"));
    EXPECT_EQ(WithCsvExtension(QStringLiteral("spectrum1")), QStringLiteral("spectrum1.csv"));
}

TEST_F(CsvSpectrumFile, AComparisonLiesAtItsOwnWavelengthsAndAFileOfAnotherKindIsRefused) {
    // 100 channels of 2 nm from 400 nm, each reading its own wavelength.
    std::string hundred = "Spektrum: LED\r\nKanal;nm;Digits\r\n";
    for (int c = 0; c < 100; ++c)
        hundred += std::to_string(c) + ";" + std::to_string(400 + 2 * c) + ";" + std::to_string(400 + 2 * c) +
                   "\r\n";
    ComparisonFile file = ParseComparisonFile(hundred);
    ASSERT_TRUE(file.Usable());
    EXPECT_EQ(file.Name, "LED");
    EXPECT_EQ(file.Calibration.LambdaMin, 400);
    EXPECT_EQ(file.Calibration.LambdaMax, 598);
    for (const int c : {0, 1, 64, 126, 127})
        EXPECT_EQ(file.Readings[c], RoundHalfEven(400 + c * 198.0 / 127)) << c;

    const std::string path = folder.File("woche.csv");
    WavelengthCalibration saved;
    saved.SetRange(380, 700);
    SaveSpectrumFile(path, QString(), SampleReadings(), saved);
    file = LoadComparisonFile(path);
    ASSERT_TRUE(file.Usable());
    EXPECT_EQ(file.Readings, SampleReadings());
    EXPECT_EQ(file.Calibration.LambdaMax, 700);
    EXPECT_EQ(LoadComparisonFile(folder.File("fehlt.csv")).IoResult, ENOENT);

    const struct {
        const char* Name;
        std::string Bytes;
    } refused[] = {
        {"a table with measurement columns",
         "Spektrum: x;Datum: 1;Belichtung: 40;Kalibrierung: 360 nm bis 675 nm\r\n"
         "Kanal;nm;Digits;Dunkel\r\n0;360;5;1\r\n1;362;6;1\r\n"},
        {"a table of Digits alone", "Spektrum: x;Datum: 1;Belichtung: 40;Kalibrierung: 360 nm bis 675 nm\r\n"
                                    "Kanal;nm;Digits\r\n0;360;5\r\n1;362;6\r\n"},
        {"no column header", "Spektrum: x\r\n0;360;5\r\n1;362;6\r\n"},
        {"one reading", "Kanal;nm;Digits\r\n0;360;5\r\n"},
        {"falling wavelengths", "Kanal;nm;Digits\r\n0;360;5\r\n1;362;6\r\n2;361;6\r\n"},
    };
    for (const auto& file : refused)
        EXPECT_FALSE(ParseComparisonFile(file.Bytes).Refusal.isEmpty()) << file.Name;
    EXPECT_TRUE(ParseComparisonFile("Kanal,nm,Digits,,\r\n0,360,5\r\n1,362,6\r\n").Usable())
        << "saved again by a spreadsheet";
}

} // namespace
