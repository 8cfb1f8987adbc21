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

TEST(TerminalProgress, ShowsAStepOnlyAfterASecondRewritesInPlaceAndWipes) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    double now = 100.0;
    CTerminalProgress progress(file, [&now] { return now; });

    // a quick step leaves nothing behind
    ProgressCallback quick = progress.Track("Characteristic function");
    quick(0.0);
    now = 100.9;
    quick(0.5);
    progress.Finish();
    EXPECT_EQ(std::ftell(file), 0L);

    ProgressCallback slow = progress.Track("Characteristic function");
    ProgressCallback fit = progress.Track("Model fit");
    slow(0.0); // the clock starts again with the step's first report
    now = 101.9;
    slow(0.25);
    slow(0.251);     // the same whole percent: not written again
    progress.Wipe(); // a log record takes the line; the next report draws it again
    slow(0.251);
    slow(1.0);
    fit(0.0); // the next step wipes the line and starts its own clock
    fit(0.5);
    progress.Finish();
    const std::string blank25(std::string("Characteristic function: 25 %").size(), ' ');
    const std::string blank100(std::string("Characteristic function: 100 %").size(), ' ');
    EXPECT_EQ(Written(file), "\rCharacteristic function: 25 %\r" + blank25 +
                                 "\r\rCharacteristic function: 25 %"
                                 "\rCharacteristic function: 100 %\r" +
                                 blank100 + "\r");
    std::fclose(file);
}
