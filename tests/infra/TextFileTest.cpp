#include "infra/CSafeFileWriter.h"
#include "infra/CTextFile.h"
#include "infra/TextEncoding.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

std::vector<std::string> ReadAllLines(const std::string& path) {
    CTextFileReader reader;
    EXPECT_TRUE(reader.Open(path));
    std::vector<std::string> lines;
    for (std::string line; reader.ReadLine(line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(TextEncoding, LatinOneWhenItFitsUtf8Otherwise) {
    EXPECT_EQ(EncodeLine8Bit("20 nm\xC2\xB2"), "20 nm\xB2");
    EXPECT_EQ(EncodeLine8Bit("\xC3\xBF"), "\xFF");
    // One character beyond U+00FF keeps the whole line in UTF-8.
    EXPECT_EQ(EncodeLine8Bit("nm\xC2\xB2 \xE2\x86\x92"), "nm\xC2\xB2 \xE2\x86\x92");
    EXPECT_EQ(DecodeLine8Bit("20 nm\xB2"), "20 nm\xC2\xB2");
    EXPECT_EQ(DecodeLine8Bit("nm\xC2\xB2"), "nm\xC2\xB2");
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(IsValidUtf8("\xE2\x86")) << "cut short";
}

TEST(CTextFile, WritesCrLfLinesInEightBitText) {
    TempDir dir;
    CTextFileWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("t.txt")));
    EXPECT_TRUE(writer.WriteLine("A22 nm\xC2\xB2"));
    EXPECT_TRUE(writer.WriteLine("\xE2\x86\x92 \xC3\xBC"));
    EXPECT_TRUE(writer.WriteText("a\nb\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.txt"))) << "nothing replaced before commit";
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(dir.File("t.txt")),
              "A22 nm\xB2\r\n\xE2\x86\x92 \xC3\xBC\r\na\r\nb\r\n");
}

TEST(CTextFile, ReadsEveryLineEndAndOddBytes) {
    TempDir dir;
    const std::string path = dir.File("in.txt");
    WriteFileBytes(path, "lf\ncrlf\r\nnul\0byte\r\nlatin \xB2\n\xE2\x86\x92\nlast"s);
    EXPECT_EQ(ReadAllLines(path),
              (std::vector<std::string>{"lf", "crlf", "nul\0byte"s, "latin \xC2\xB2",
                                        "\xE2\x86\x92", "last"}));
    CTextFileReader reader;
    ASSERT_TRUE(reader.Open(path));
    std::string raw;
    for (int i = 0; i < 4; ++i)
        reader.ReadRawLine(raw);
    EXPECT_EQ(raw, "latin \xB2");

    WriteFileBytes(path, "");
    EXPECT_TRUE(ReadAllLines(path).empty());
    EXPECT_FALSE(reader.Open(dir.Path())) << "a folder is not a text file";
    EXPECT_FALSE(reader.Open(dir.File("missing.txt")));
    EXPECT_FALSE(reader.ReadLine(raw));
}

TEST(CSafeFileWriter, ReplacesCompletelyOrNotAtAll) {
    TempDir dir;
    const std::string target = dir.File("out.dat");
    WriteFileBytes(target, std::string(100, 'o'));
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Open(target));
        ASSERT_TRUE(writer.Write("new"));
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_EQ(ReadFileBytes(target), "new") << "a shorter file leaves no old tail";

    CSafeFileWriter::SetWriteLimitForTesting(5);
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Open(target));
        EXPECT_TRUE(writer.Write("12345"));
        EXPECT_FALSE(writer.Write("6"));
        EXPECT_FALSE(writer.Write("")) << "a failed writer stays failed";
        EXPECT_FALSE(writer.Commit());
    }
    CSafeFileWriter::SetWriteLimitForTesting(std::nullopt);
    EXPECT_EQ(ReadFileBytes(target), "new");

    {
        CSafeFileWriter writer; // dropped without commit
        ASSERT_TRUE(writer.Open(target));
        writer.Write("abandoned");
    }
    EXPECT_EQ(ReadFileBytes(target), "new");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
}

TEST(CSafeFileWriter, RefusesPathsThatCannotHoldAFile) {
    TempDir dir;
    WriteFileBytes(dir.File("regular"), "x");
    CSafeFileWriter writer;
    EXPECT_FALSE(writer.Open(dir.File("regular/out.dat")));
    EXPECT_FALSE(writer.Open(dir.File("missing/out.dat")));
    EXPECT_FALSE(writer.Open(dir.Path()));
    EXPECT_FALSE(writer.Open(""));
    EXPECT_FALSE(writer.Write("x"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(dir.File("regular")), "x");
}
