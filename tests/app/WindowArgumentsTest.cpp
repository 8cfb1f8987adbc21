#include "app/WindowArguments.h"
#include "infra/Version.h"

#include <gtest/gtest.h>

TEST(WindowArguments, HelpAndVersionAreAskedForAndNeverFiles) {
    struct Case {
        std::vector<std::string> arguments;
        bool bHelp;
        bool bVersion;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {{"tessaric", "--help"}, true, false, {}},
        {{"tessaric", "a.log", "-h"}, true, false, {"a.log"}},
        {{"tessaric", "--version"}, false, true, {}},
        {{"tessaric", "a.log", "--", "-h.log"}, false, false, {"a.log", "--", "-h.log"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        const WINDOWARGUMENTS parsed = ParseWindowArguments(c.arguments);
        EXPECT_EQ(parsed.bHelp, c.bHelp);
        EXPECT_EQ(parsed.bVersion, c.bVersion);
        EXPECT_EQ(parsed.files, c.files);
    }
    // the manual page takes its name line and sections from these texts
    EXPECT_EQ(WindowUsageText().rfind("Usage: tessaric ", 0), 0u);
    EXPECT_EQ(WindowVersionText(), std::string("tessaric ") + kTessaricVersionText + "\n");
}
