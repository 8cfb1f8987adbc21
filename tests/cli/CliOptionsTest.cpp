#include "cli/CliOptions.h"

#include <gtest/gtest.h>

namespace {

CLIPARSE Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}

// The one-line message names the offending option or argument.
void ExpectUsageError(std::vector<std::string> arguments, const std::string& named) {
    const CLIPARSE result = Parse(arguments);
    EXPECT_FALSE(result.bOk);
    EXPECT_EQ(result.strError.rfind("tessaric-cli: ", 0), 0u) << result.strError;
    EXPECT_NE(result.strError.find(named), std::string::npos) << result.strError;
    EXPECT_EQ(result.strError.find('\n'), std::string::npos);
}

} // namespace

TEST(CliOptions, EvaluateDefaultsAreTheProgramDefaults) {
    const CLIPARSE result = Parse({"evaluate", "a.log", "b.dat"});
    ASSERT_TRUE(result.bOk) << result.strError;
    const CLIOPTIONS& options = result.options;
    EXPECT_EQ(options.command, CliCommand::Evaluate);
    EXPECT_FALSE(options.bQuiet);
    EXPECT_EQ(options.nDebugLevel, 0u);
    EXPECT_EQ(options.strLogFile, "");
    const EVALUATEOPTIONS& evaluate = options.evaluate;
    EXPECT_EQ(evaluate.format, LogFormatChoice::Auto);
    EXPECT_EQ(evaluate.dRotationDeg, 0.0);
    EXPECT_FALSE(evaluate.bMirrorY);
    EXPECT_EQ(evaluate.nMinDiversity, 10);
    EXPECT_EQ(evaluate.dEnergykV, 300.0);
    EXPECT_EQ(evaluate.dResolutionAng, 1.0);
    EXPECT_EQ(evaluate.dLimitPhase, 0.25);
    EXPECT_TRUE(evaluate.bFit);
    EXPECT_FALSE(evaluate.nSeries.has_value());
    EXPECT_FALSE(evaluate.nSeed.has_value());
    EXPECT_EQ(evaluate.files, (std::vector<std::string>{"a.log", "b.dat"}));
}

TEST(CliOptions, EvaluateOptionsInBothSpellings) {
    const CLIPARSE result = Parse(
        {"evaluate", "--format", "orvex",   "--rotation=-12.5",  "--mirror-y", "--min-diversity",
         "20",       "--energy", "200",     "--resolution=0.8",  "--phase",    "0.5",
         "--no-fit", "--series", "3",       "--seed=4294967295", "--out",      "out/x",
         "--size",   "800x600",  "--quiet", "--debug-level",     "4",          "--log",
         "run.log",  "--",       "-odd.log"});
    ASSERT_TRUE(result.bOk) << result.strError;
    const CLIOPTIONS& options = result.options;
    const EVALUATEOPTIONS& evaluate = options.evaluate;
    EXPECT_EQ(evaluate.format, LogFormatChoice::ORVEX);
    EXPECT_EQ(evaluate.dRotationDeg, -12.5);
    EXPECT_TRUE(evaluate.bMirrorY);
    EXPECT_EQ(evaluate.nMinDiversity, 20);
    EXPECT_EQ(evaluate.dEnergykV, 200.0);
    EXPECT_EQ(evaluate.dResolutionAng, 0.8);
    EXPECT_EQ(evaluate.dLimitPhase, 0.5);
    EXPECT_FALSE(evaluate.bFit);
    EXPECT_EQ(evaluate.nSeries, 3);
    EXPECT_EQ(evaluate.nSeed, 4294967295u);
    EXPECT_EQ(evaluate.strOutDir, "out/x");
    EXPECT_EQ(evaluate.nDiagramWidth, 800);
    EXPECT_EQ(evaluate.nDiagramHeight, 600);
    EXPECT_TRUE(options.bQuiet);
    EXPECT_EQ(options.nDebugLevel, 4u);
    EXPECT_EQ(options.strLogFile, "run.log");
    EXPECT_EQ(evaluate.files, std::vector<std::string>{"-odd.log"});
}

TEST(CliOptions, SimulateOptions) {
    const CLIPARSE result = Parse(
        {"simulate", "--format", "orvex", "--images", "300", "--period", "0.5",   "--di",
         "0.04",     "--da",     "0.02",  "--tc",     "30",  "--drift",  "0.001", "--drift-angle",
         "45",       "--noise",  "0.01",  "--seed",   "12",  "out.dat"});
    ASSERT_TRUE(result.bOk) << result.strError;
    const SIMULATIONSETTINGS& simulate = result.options.simulate;
    EXPECT_EQ(simulate.format, SimulatedLogFormat::ORVEX);
    EXPECT_EQ(simulate.nImages, 300);
    EXPECT_EQ(simulate.dPeriod, 0.5);
    EXPECT_EQ(simulate.dDi, 0.04);
    EXPECT_EQ(simulate.dDa, 0.02);
    EXPECT_EQ(simulate.dTc, 30.0);
    EXPECT_EQ(simulate.dDrift, 0.001);
    EXPECT_EQ(simulate.dDriftAngleDeg, 45.0);
    EXPECT_EQ(simulate.dNoise, 0.01);
    EXPECT_EQ(simulate.nSeed, 12u);
    EXPECT_EQ(result.options.strSimulateOut, "out.dat");
}

TEST(CliOptions, HelpAndVersion) {
    EXPECT_EQ(Parse({"--help"}).options.command, CliCommand::Help);
    EXPECT_EQ(Parse({"--version"}).options.command, CliCommand::Version);
    EXPECT_EQ(Parse({"evaluate", "--help"}).options.command, CliCommand::Help);
    EXPECT_NE(UsageText().find("tessaric-cli evaluate [options] LOGFILE..."), std::string::npos);
}

TEST(CliOptions, UsageErrorsNameTheCulprit) {
    ExpectUsageError({}, "missing command");
    ExpectUsageError({"frobnicate"}, "'frobnicate'");
    ExpectUsageError({"--bogus"}, "'--bogus'");
    ExpectUsageError({"evaluate", "--bogus", "a.log"}, "'--bogus'");
    ExpectUsageError({"evaluate", "-x", "a.log"}, "'-x'");
    ExpectUsageError({"evaluate"}, "LOGFILE");
    ExpectUsageError({"evaluate", "a.log", "--energy"}, "'--energy' needs a value");
    ExpectUsageError({"evaluate", "--energy", "3x", "a.log"}, "'--energy'");
    // Energies, resolutions and phases of 0 or below give no usable tolerance.
    ExpectUsageError({"evaluate", "--energy", "0", "a.log"}, "'--energy'");
    ExpectUsageError({"evaluate", "--resolution", "-1", "a.log"}, "'--resolution'");
    ExpectUsageError({"evaluate", "--phase", "nan", "a.log"}, "'--phase'");
    ExpectUsageError({"evaluate", "--series", "0", "a.log"}, "'--series'");
    ExpectUsageError({"evaluate", "--seed", "4294967296", "a.log"}, "'--seed'");
    ExpectUsageError({"evaluate", "--min-diversity", "1.5", "a.log"}, "'--min-diversity'");
    ExpectUsageError({"evaluate", "--format", "csv", "a.log"}, "'--format'");
    for (const char* size : {"800", "800x", "x600", "800*600", "31x600", "800x5001", "-800x600"})
        ExpectUsageError({"evaluate", "--size", size, "a.log"}, "'--size'");
    ExpectUsageError({"evaluate", "--no-fit=yes", "a.log"}, "'--no-fit'");
    ExpectUsageError({"evaluate", "--images", "5", "a.log"}, "'--images'");
    ExpectUsageError({"simulate"}, "OUTFILE");
    ExpectUsageError({"simulate", "a", "b"}, "'b'");
    ExpectUsageError({"simulate", "--format", "auto", "a"}, "'--format'");
    ExpectUsageError({"simulate", "--images", "1", "a"}, "'--images'");
    ExpectUsageError({"simulate", "--images", "2000000", "a"}, "'--images'");
    ExpectUsageError({"simulate", "--period", "0", "a"}, "'--period'");
    ExpectUsageError({"simulate", "--noise", "-0.1", "a"}, "'--noise'");
    ExpectUsageError({"simulate", "--format", "orvex", "--recordings", "2", "a"}, "'--recordings'");
    ExpectUsageError({"simulate", "--images", "1000000", "--period", "1000", "a"}, "'--period'");
    ExpectUsageError({"simulate", "--debug-level", "5", "a"}, "'--debug-level'");
    ExpectUsageError({"--version", "extra"}, "'extra'");
    for (const char* option : {"--summary", "--html", "--pdf"})
        ExpectUsageError({"evaluate", std::string(option) + "=", "a.log"}, option);
    ExpectUsageError({"compare"}, "LOG[:SERIES]");
    ExpectUsageError({"compare", "--no-fit", "a.log"}, "'--no-fit'");
}

TEST(CliOptions, OutOfRangeAndNonFiniteValuesAreUsageErrors) {
    // The ranges of the program's settings dialog hold at their edges.
    for (const char* diversity : {"5", "50000"})
        EXPECT_TRUE(Parse({"evaluate", "--min-diversity", diversity, "a.log"}).bOk) << diversity;
    for (const char* diversity : {"4", "50001", "-5"})
        ExpectUsageError({"evaluate", "--min-diversity", diversity, "a.log"}, "'--min-diversity'");
    for (const char* phase : {"0.001", "1000"})
        EXPECT_TRUE(Parse({"evaluate", "--phase", phase, "a.log"}).bOk) << phase;
    for (const char* phase : {"0.0009", "1000.1", "inf"})
        ExpectUsageError({"evaluate", "--phase", phase, "a.log"}, "'--phase'");
    for (const char* energy : {"1e999", "-inf", "nan", "", " "})
        ExpectUsageError({"evaluate", "--energy", energy, "a.log"}, "'--energy'");
    for (const char* rotation : {"1e999", "1e18", "-360.001"})
        ExpectUsageError({"evaluate", "--rotation", rotation, "a.log"}, "'--rotation'");
    EXPECT_TRUE(Parse({"evaluate", "--rotation", "-360", "a.log"}).bOk);
    // The diagrams' size means nothing without the files they go to.
    ExpectUsageError({"evaluate", "--size", "800x600", "a.log"}, "'--size' needs '--out'");
    // Nineteen digits once overflowed the integer reader.
    for (const char* seed : {"9999999999999999999", "99999999999999999999999"})
        ExpectUsageError({"evaluate", "--seed", seed, "a.log"}, "'--seed'");
    ExpectUsageError({"evaluate", "--series", "-9223372036854775808", "a.log"}, "'--series'");
    // What the user typed is quoted on the one line, control characters and all.
    ExpectUsageError({"evaluate", "--energy", "1\n2", "a.log"}, "'--energy'");
    ExpectUsageError({"evaluate", "--bogus\r\nX", "a.log"}, "'--bogus??X'");

    ExpectUsageError({"simulate", "--di", "10001", "a"}, "'--di'");
    ExpectUsageError({"simulate", "--drift", "-1e308", "a"}, "'--drift'");
    ExpectUsageError({"simulate", "--noise", "1e999", "a"}, "'--noise'");
    ExpectUsageError({"simulate", "--da", "1", "--tc", "1e300", "a"}, "'--tc'");
    ExpectUsageError({"simulate", "--tc", "1e300", "--period", "1e-10", "a"}, "'--period'");
    // Periods whose whole-second time stamps would read back as another
    // period (or none); the message names the shortest that always works,
    // and never blames a correlated part that is 0.
    for (const char* period : {"0.0001", "0.0037", "1e-308"})
        ExpectUsageError({"simulate", "--images", "400", "--period", period, "a"},
                         "every period from 0.125 s on works for 400 images");
    EXPECT_TRUE(Parse({"simulate", "--images", "400", "--period", "0.0025", "a"}).bOk);
    EXPECT_TRUE(Parse({"simulate", "--di", "10000", "--drift", "-10000", "a"}).bOk);
}

// B is optional: alone, before a LOGFILE or another option it means 200; a
// whole number right after it is B.
TEST(CliOptions, ConfidenceTakesAnOptionalReplicateCount) {
    const struct {
        std::vector<std::string> arguments;
        std::int32_t nReplicates;
    } cases[] = {
        {{"evaluate", "a.log"}, 0},
        {{"evaluate", "--confidence", "a.log"}, 200},
        {{"evaluate", "a.log", "--confidence"}, 200},
        {{"evaluate", "--confidence", "--seed", "1", "a.log"}, 200},
        {{"evaluate", "--confidence", "50", "a.log"}, 50},
        {{"evaluate", "--confidence=100000", "a.log"}, 100000},
        // compare rests its verdict on the bootstrap: on by default
        {{"compare", "a.log"}, 200},
        {{"compare", "--confidence", "30", "a.log"}, 30},
    };
    for (const auto& c : cases) {
        const CLIPARSE result = Parse(c.arguments);
        ASSERT_TRUE(result.bOk) << result.strError;
        EXPECT_EQ(result.options.evaluate.nConfidenceReplicates, c.nReplicates);
        EXPECT_EQ(result.options.evaluate.files, std::vector<std::string>{"a.log"});
    }
    ExpectUsageError({"evaluate", "--confidence", "19", "a.log"}, "'--confidence'");
    ExpectUsageError({"evaluate", "--confidence=many", "a.log"}, "'--confidence'");
    ExpectUsageError({"evaluate", "--confidence", "--no-fit", "a.log"}, "'--no-fit'");
}
