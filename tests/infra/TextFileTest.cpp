#include "infra/CSafeFileWriter.h"
#include "infra/CTextFile.h"
#include "infra/TextEncoding.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // "Ã©" in Latin-1 is C3 A9, the UTF-8 of "é": it stays UTF-8.
    EXPECT_EQ(EncodeLine8Bit("/data/\xC3\x83\xC2\xA9/"), "/data/\xC3\x83\xC2\xA9/");
}

TEST(TextEncoding, WhatIsWrittenReadsBackAndWritesTheSameBytes) {
    const char* const texts[] = {
        "/home/j\xC3\xBCrgen/logs/", // ü
        "/data/\xC3\x83\xC2\xA9/",   // Ã©
        "\xC3\x82\xC2\xB2",          // Â²
        "nm\xC2\xB2 \xE2\x86\x92",   // beyond U+00FF
        "plain",
    };
    for (const char* text : texts) {
        const std::string bytes = EncodeLine8Bit(text);
        EXPECT_EQ(DecodeLine8Bit(bytes), text);
        EXPECT_EQ(EncodeLine8Bit(DecodeLine8Bit(bytes)), bytes) << text;
    }
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
    // Neither a device nor a pipe without a writer holds a file's text; the
    // pipe must be refused at once instead of waiting for a writer.
    EXPECT_FALSE(reader.Open("/dev/zero"));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(reader.Open(dir.File("pipe")));
}

TEST(CTextFile, ByteOrderMarkChoosesTheEncoding) {
    // "A²" CR LF, then U+1F600 as a surrogate pair, a lone trailing
    // surrogate and an odd last byte.
    const std::string le = std::string("\xFF\xFE"
                                       "A\0\xB2\0\r\0\n\0"
                                       "\x3D\xD8\x00\xDE"
                                       "\x00\xDC"
                                       "x",
                                       17);
    const std::string be = std::string("\xFE\xFF"
                                       "\0A\0\xB2\0\r\0\n"
                                       "\xD8\x3D\xDE\x00"
                                       "\xDC\x00"
                                       "x",
                                       17);
    const std::string utf8 = "\xEF\xBB\xBF"
                             "A\xC2\xB2\n\xF0\x9F\x98\x80\xEF\xBF\xBD";
    TempDir dir;
    for (const std::string& bytes : {le, be, utf8}) {
        WriteFileBytes(dir.File("text"), bytes);
        CTextFileReader reader;
        ASSERT_TRUE(reader.Open(dir.File("text")));
        std::string line;
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "A\xC2\xB2");
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "\xF0\x9F\x98\x80\xEF\xBF\xBD");
        EXPECT_FALSE(reader.ReadLine(line));
    }
}

TEST(CTextFile, OverlongLineIsCutAndTheNextLineFollows) {
    TempDir dir;
    const std::string path = dir.File("long.bin");
    const std::size_t limit = CTextFileReader::kMaxLineBytes;
    std::string bytes(limit - 1, 'a');
    bytes += "bc" + std::string(2 * limit, 'd') + "\r\nnext\n" + std::string(limit, 'e');
    WriteFileBytes(path, bytes);
    const std::vector<std::string> lines = ReadAllLines(path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(limit - 1, 'a') + "b");
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(lines[2], std::string(limit, 'e')) << "a line of exactly the limit is whole";
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
    EXPECT_EQ(FilesIn(dir.Path()), 1u) << "no temporary file is left behind";
}

TEST(CSafeFileWriter, RefusesPathsThatCannotHoldAFile) {
    TempDir dir;
    WriteFileBytes(dir.File("regular"), "x");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    CSafeFileWriter writer;
    EXPECT_FALSE(writer.Open(dir.File("regular/out.dat")));
    EXPECT_FALSE(writer.Open(dir.File("missing/out.dat")));
    EXPECT_FALSE(writer.Open(dir.Path()));
    EXPECT_FALSE(writer.Open(""));
    EXPECT_FALSE(writer.Open(dir.File("pipe"))) << "a pipe is not swapped for a plain file";
    EXPECT_FALSE(writer.Write("x"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(ReadFileBytes(dir.File("regular")), "x");
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
}

TEST(CSafeFileWriter, ReplacesTheFileBehindALink) {
    TempDir dir;
    const std::string real = dir.File("real.txt");
    const std::string link = dir.File("link.txt");
    WriteFileBytes(real, "old");
    std::filesystem::create_symlink(real, link);
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Open(link));
        ASSERT_TRUE(writer.Write("new"));
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
}

TEST(CSafeFileWriter, KeepsAReadOnlyFile) {
    TempDir dir;
    const std::string real = dir.File("real.txt");
    WriteFileBytes(real, "new");
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file; read-only cannot be tested";
    std::filesystem::permissions(real, std::filesystem::perms::owner_read);
    CSafeFileWriter writer;
    EXPECT_FALSE(writer.Open(real));
    EXPECT_EQ(ReadFileBytes(real), "new");
}
