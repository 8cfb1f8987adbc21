#include "data/LogFormat.h"
#include "data/CA1SeriesList.h"
#include "data/LogImport.h"
#include "support/LogCapture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(LogFormat, DetectedByContentAndReadByType) {
    EXPECT_EQ(DetectImportType(FixturePath("orvex_worked_example.dat")), kImportTypeORVEX);
    EXPECT_EQ(DetectImportType(FixturePath("c1a1_worked_example.log")), kImportTypeC1A1);
    EXPECT_EQ(DetectImportType(FixturePath("no_such_file.log")), kImportTypeC1A1);

    LogCapture log;
    CA1SeriesList list;
    EXPECT_EQ(ImportLogOfType(kImportTypeORVEX, FixturePath("orvex_worked_example.dat"), *log.Log(),
                              1, 0.0, list),
              1);
    EXPECT_EQ(ImportLogOfType(3, FixturePath("orvex_worked_example.dat"), *log.Log(), 1, 0.0, list),
              kImportUnsupportedType);
    EXPECT_EQ(list.size(), 1u);
}
