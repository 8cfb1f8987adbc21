#include "data/C1A1LogReader.h"
#include "data/CA1SeriesList.h"
#include "data/LogImport.h"
#include "data/ORVEXLogReader.h"

#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using ReaderFunction = int (*)(const std::string&, CLogFile&, std::int32_t, double, CA1SeriesList&);

// What either reader must do with a file that holds nothing it can use: no
// series, the list untouched, and the reader's own closing message.
void ExpectNothingImported(ReaderFunction reader, const std::string& path) {
    LogCapture capture;
    CA1SeriesList list;
    CA1TimeSeries earlier;
    earlier.m_strFileName = "earlier";
    list.Append(earlier);

    EXPECT_EQ(reader(path, capture.log, 1, 0.0, list), 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].m_strFileName, "earlier");
    ASSERT_FALSE(capture.texts.empty());
    if (reader == &ImportC1A1Log)
        EXPECT_EQ(capture.texts.back(), "Added 0 new A1-time series to the data list.");
    else
        EXPECT_EQ(capture.texts.back(), "ERROR: Failed to load log data from file [" + path + "].");
}

void ExpectNothingImportedByEither(const std::string& path) {
    ExpectNothingImported(&ImportC1A1Log, path);
    ExpectNothingImported(&ImportORVEXLog, path);
}

} // namespace

TEST(ImportBadInput, EmptyFile) {
    TempDir dir;
    WriteFileBytes(dir.File("empty.log"), "");
    ExpectNothingImportedByEither(dir.File("empty.log"));
}

TEST(ImportBadInput, BinaryBytesIncludingNul) {
    TempDir dir;
    std::string bytes;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b)
            bytes.push_back(static_cast<char>((b * 37 + round) & 0xFF));
    // Markers hidden between binary bytes still count as text of that line.
    bytes += std::string("\0\xFF\r\rC1A1 series successfully started.\0dTime:\xE9 s\n", 48);
    WriteFileBytes(dir.File("binary.log"), bytes);
    ExpectNothingImportedByEither(dir.File("binary.log"));
}

TEST(ImportBadInput, TenMegabyteLineWithoutLineEnd) {
    TempDir dir;
    // A recording is running when the long line comes, so the C1A1 reader
    // takes it as one data line; the ORVEXStab reader sees a header and no
    // data line.
    std::string c1a1 = "C1A1 series successfully started.\ndTime: 1 s\n";
    std::string orvex = "img a22x err(a22x) a22y err(a22y) filetime";
    const std::string piece = "#1: C1: 1nm / 0deg, A1: 2nm / 0deg ";
    while (c1a1.size() < 10u * 1024 * 1024)
        c1a1 += piece;
    orvex.append(10u * 1024 * 1024, ' ');
    orvex += "x";
    WriteFileBytes(dir.File("long.log"), c1a1);
    WriteFileBytes(dir.File("long.dat"), orvex);
    ExpectNothingImported(&ImportC1A1Log, dir.File("long.log"));
    ExpectNothingImported(&ImportORVEXLog, dir.File("long.dat"));
}

TEST(ImportBadInput, RecordingsThatNeverEnd) {
    ExpectNothingImported(&ImportC1A1Log, FixturePath("c1a1_unfinished_recording.log"));

    // A complete recording before an unfinished one stays.
    TempDir dir;
    const std::string complete = ReadFileBytes(FixturePath("c1a1_worked_example.log"));
    WriteFileBytes(dir.File("mixed.log"),
                   complete + "\r\n" + ReadFileBytes(FixturePath("c1a1_unfinished_recording.log")));
    LogCapture capture;
    CA1SeriesList list;
    EXPECT_EQ(ImportC1A1Log(dir.File("mixed.log"), capture.log, 1, 0.0, list), 1);
    EXPECT_EQ(list.size(), 1u);
}

TEST(ImportBadInput, LogOfTheOtherKind) {
    ExpectNothingImported(&ImportORVEXLog, FixturePath("c1a1_worked_example.log"));
    ExpectNothingImported(&ImportC1A1Log, FixturePath("orvex_worked_example.dat"));
}

TEST(ImportBadInput, PathThatIsMissingOrAFolder) {
    TempDir dir;
    for (ReaderFunction reader : {&ImportC1A1Log, &ImportORVEXLog}) {
        for (const std::string& path : {dir.File("missing.log"), dir.Path(), std::string()}) {
            LogCapture capture;
            CA1SeriesList list;
            list.Append(CA1TimeSeries());
            EXPECT_EQ(reader(path, capture.log, 1, 0.0, list), kImportOpenFailed) << path;
            EXPECT_EQ(list.size(), 1u);
            ASSERT_EQ(capture.texts.size(), 2u) << path;
            EXPECT_EQ(capture.texts.back(), "ERROR: Failed to open file [" + path + "].");
        }
    }
}

TEST(ImportBadInput, ReadErrorIsNotReportedAsLoaded) {
    // The kernel opens this file but fails every read at offset 0 with an
    // I/O error: a file that opens and then cannot be read.
    const std::string path = "/proc/self/mem";
    for (ReaderFunction reader : {&ImportC1A1Log, &ImportORVEXLog}) {
        LogCapture capture(2);
        CA1SeriesList list;
        EXPECT_EQ(reader(path, capture.log, 1, 0.0, list), 0);
        EXPECT_TRUE(list.empty());
        EXPECT_TRUE(capture.Has("ERROR: Failed to load log data from file [" + path + "]."));
        EXPECT_FALSE(capture.HasPrefix(Debug(2, "Successfully loaded")));
    }
}
