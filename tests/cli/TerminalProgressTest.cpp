#include "cli/CTerminalProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Written(std::FILE* file) {
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        text.push_back(static_cast<char>(c));
    return text;
}

} // namespace

TEST(TerminalProgress, ShowsOnlyAfterASecondRewritesInPlaceAndWipesAtTheEnd) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    double now = 100.0;
    CTerminalProgress progress(file, [&now] { return now; });

    // a quick evaluation leaves nothing behind
    ProgressCallback quick = progress.Start("Characteristic function");
    now = 100.9;
    quick(0.5);
    progress.Finish();
    EXPECT_EQ(std::ftell(file), 0L);

    ProgressCallback slow = progress.Start("Characteristic function");
    now = 101.9; // a second after this start
    slow(0.25);
    slow(0.251);     // the same whole percent: not written again
    progress.Wipe(); // a log record takes the line; the next report draws it again
    slow(0.251);
    slow(1.0);
    progress.Finish();
    slow(1.0); // after the end nothing more
    const std::string blank25(std::string("Characteristic function: 25 %").size(), ' ');
    const std::string blank100(std::string("Characteristic function: 100 %").size(), ' ');
    EXPECT_EQ(Written(file), "\rCharacteristic function: 25 %\r" + blank25 +
                                 "\r\rCharacteristic function: 25 %"
                                 "\rCharacteristic function: 100 %\r" +
                                 blank100 + "\r");
    std::fclose(file);
}
