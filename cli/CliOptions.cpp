#include "cli/CliOptions.h"

#include "data/RotationLimit.h"
#include "evaluation/BootstrapConfidence.h"
#include "infra/CNumber.h"

#include <cmath>
#include <limits>

namespace {

// Reads the whole text as a number by the C rules; a value with anything
// behind the number is refused rather than cut short.
bool ReadDouble(const std::string& text, double& value) {
    std::size_t used = 0;
    value = ParseCDouble(text, &used);
    return !text.empty() && used == text.size() && std::isfinite(value);
}

bool ReadInteger(const std::string& text, std::int64_t minimum, std::int64_t maximum,
                 std::int64_t& value) {
    // Eighteen characters hold every accepted value (at most 4294967295) and
    // never overflow the 64-bit sum below.
    if (text.empty() || text.size() > 18)
        return false;
    std::size_t start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (start == text.size())
        return false;
    std::int64_t magnitude = 0;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
    }
    value = text[0] == '-' ? -magnitude : magnitude;
    return value >= minimum && value <= maximum;
}

using ApplyFunction = std::string (*)(CLIOPTIONS& options, const std::string& value);

struct OPTIONDEF {
    const char* pszName;
    bool bTakesValue;
    // Takes the value into the options; returns why it cannot, or "".
    ApplyFunction apply;
    // The value may be left out (it is then ""): "--name" alone, "--name=V",
    // or "--name V" when V reads as the option's value.
    bool bValueOptional = false;
};

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kUInt32Max = std::numeric_limits<std::uint32_t>::max();

std::string NeedNumber(double& target, const std::string& value) {
    return ReadDouble(value, target) ? std::string() : "not a number";
}

// A number above 0: energies, resolutions and phase limits of 0 or below
// give no usable tolerance, periods and times of 0 no usable time axis.
std::string NeedPositive(double& target, const std::string& value) {
    double number = 0.0;
    if (!ReadDouble(value, number) || number <= 0.0)
        return "must be a number above 0";
    target = number;
    return {};
}

std::string NeedBetween(double& target, const std::string& value, double minimum, double maximum) {
    double number = 0.0;
    if (!ReadDouble(value, number) || number < minimum || number > maximum)
        return FormatC("must be a number from %g to %g", minimum, maximum);
    target = number;
    return {};
}

template <class Int>
std::string NeedInteger(Int& target, const std::string& value, std::int64_t minimum,
                        std::int64_t maximum) {
    std::int64_t number = 0;
    if (!ReadInteger(value, minimum, maximum, number))
        return "must be a whole number from " + std::to_string(minimum) + " to " +
               std::to_string(maximum);
    target = static_cast<Int>(number);
    return {};
}

std::string NeedFileName(std::string& target, const std::string& value) {
    target = value;
    return value.empty() ? std::string("must name a file") : std::string();
}

const OPTIONDEF kCommonOptions[] = {
    {"--quiet", false,
     [](CLIOPTIONS& o, const std::string&) {
         o.bQuiet = true;
         return std::string();
     }},
    // The log's debug levels run from 1 (program steps) to 4 (every record).
    {"--debug-level", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedInteger(o.nDebugLevel, v, 0, 4); }},
    {"--log", true,
     [](CLIOPTIONS& o, const std::string& v) {
         o.strLogFile = v;
         return v.empty() ? std::string("must name a file") : std::string();
     }},
};

const OPTIONDEF kEvaluateOptions[] = {
    {"--format", true,
     [](CLIOPTIONS& o, const std::string& v) {
         if (v == "auto")
             o.evaluate.format = LogFormatChoice::Auto;
         else if (v == "c1a1")
             o.evaluate.format = LogFormatChoice::C1A1;
         else if (v == "orvex")
             o.evaluate.format = LogFormatChoice::ORVEX;
         else
             return std::string("must be auto, c1a1 or orvex");
         return std::string();
     }},
    {"--rotation", true,
     [](CLIOPTIONS& o, const std::string& v) {
         double rotation = 0.0;
         if (!ReadDouble(v, rotation) || !IsAcceptedRotation(rotation))
             return FormatC("must be a number from %g to %g", -kMaxRotationDeg, kMaxRotationDeg);
         o.evaluate.dRotationDeg = rotation;
         return std::string();
     }},
    {"--mirror-y", false,
     [](CLIOPTIONS& o, const std::string&) {
         o.evaluate.bMirrorY = true;
         return std::string();
     }},
    {"--min-diversity", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedInteger(o.evaluate.nMinDiversity, v, kMinDiversityLowest, kMinDiversityHighest);
     }},
    {"--energy", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedPositive(o.evaluate.dEnergykV, v); }},
    {"--resolution", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedPositive(o.evaluate.dResolutionAng, v);
     }},
    {"--phase", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedBetween(o.evaluate.dLimitPhase, v, kLimitPhaseLowest, kLimitPhaseHighest);
     }},
    {"--no-fit", false,
     [](CLIOPTIONS& o, const std::string&) {
         o.evaluate.bFit = false;
         return std::string();
     }},
    {"--series", true,
     [](CLIOPTIONS& o, const std::string& v) {
         std::int32_t series = 0;
         std::string error = NeedInteger(series, v, 1, kInt32Max);
         if (error.empty())
             o.evaluate.nSeries = series;
         return error;
     }},
    {"--seed", true,
     [](CLIOPTIONS& o, const std::string& v) {
         std::uint32_t seed = 0;
         std::string error = NeedInteger(seed, v, 0, kUInt32Max);
         if (error.empty())
             o.evaluate.nSeed = seed;
         return error;
     }},
    {"--size", true,
     [](CLIOPTIONS& o, const std::string& v) {
         const std::size_t cross = v.find('x');
         std::int64_t width = 0, height = 0;
         if (cross == std::string::npos ||
             !ReadInteger(v.substr(0, cross), kMinDiagramSide, kMaxDiagramSide, width) ||
             !ReadInteger(v.substr(cross + 1), kMinDiagramSide, kMaxDiagramSide, height))
             return "must be WIDTHxHEIGHT in pixels, each from " + std::to_string(kMinDiagramSide) +
                    " to " + std::to_string(kMaxDiagramSide);
         o.evaluate.nDiagramWidth = static_cast<std::int32_t>(width);
         o.evaluate.nDiagramHeight = static_cast<std::int32_t>(height);
         return std::string();
     }},
    {"--out", true,
     [](CLIOPTIONS& o, const std::string& v) {
         o.evaluate.strOutDir = v;
         return v.empty() ? std::string("must name a folder") : std::string();
     }},
    {"--gap-pairs", true,
     [](CLIOPTIONS& o, const std::string& v) {
         if (v == "images")
             o.evaluate.eGapPairs = GapPairRule::ImageNumbers;
         else if (v == "adjacent")
             o.evaluate.eGapPairs = GapPairRule::Adjacent;
         else
             return std::string("must be images or adjacent");
         return std::string();
     }},
    {"--outliers", true,
     [](CLIOPTIONS& o, const std::string& v) {
         if (v == "flag")
             o.evaluate.eOutliers = OutlierChoice::Flag;
         else if (v == "exclude")
             o.evaluate.eOutliers = OutlierChoice::Exclude;
         else if (v == "keep")
             o.evaluate.eOutliers = OutlierChoice::Keep;
         else
             return std::string("must be flag, exclude or keep");
         return std::string();
     }},
    // A window needs a few images for its three distances.
    {"--window", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedInteger(o.evaluate.nChangeWindow, v, kMinChangeWindowOption, kInt32Max);
     }},
    {"--summary", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedFileName(o.evaluate.strSummaryFile, v);
     }},
    {"--html", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedFileName(o.evaluate.strHtmlFile, v); }},
    {"--pdf", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedFileName(o.evaluate.strPdfFile, v); }},
    {"--confidence", true,
     [](CLIOPTIONS& o, const std::string& v) {
         if (v.empty()) {
             o.evaluate.nConfidenceReplicates = kDefaultConfidenceReplicates;
             return std::string();
         }
         return NeedInteger(o.evaluate.nConfidenceReplicates, v, kMinConfidenceReplicates,
                            kMaxConfidenceReplicates);
     },
     true},
};

const OPTIONDEF kSimulateOptions[] = {
    {"--format", true,
     [](CLIOPTIONS& o, const std::string& v) {
         if (v == "c1a1")
             o.simulate.format = SimulatedLogFormat::C1A1;
         else if (v == "orvex")
             o.simulate.format = SimulatedLogFormat::ORVEX;
         else
             return std::string("must be c1a1 or orvex");
         return std::string();
     }},
    // The characteristic function needs at least two images.
    {"--images", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedInteger(o.simulate.nImages, v, 2, kMaxSimulatedImages);
     }},
    {"--period", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedPositive(o.simulate.dPeriod, v); }},
    {"--di", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedBetween(o.simulate.dDi, v, 0.0, kMaxSimulatedNm);
     }},
    {"--da", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedBetween(o.simulate.dDa, v, 0.0, kMaxSimulatedNm);
     }},
    {"--tc", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedPositive(o.simulate.dTc, v); }},
    {"--drift", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedBetween(o.simulate.dDrift, v, -kMaxSimulatedNm, kMaxSimulatedNm);
     }},
    {"--drift-angle", true,
     [](CLIOPTIONS& o, const std::string& v) { return NeedNumber(o.simulate.dDriftAngleDeg, v); }},
    {"--noise", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedBetween(o.simulate.dNoise, v, 0.0, kMaxSimulatedNm);
     }},
    {"--recordings", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedInteger(o.simulate.nRecordings, v, 1, kMaxSimulatedRecordings);
     }},
    {"--seed", true,
     [](CLIOPTIONS& o, const std::string& v) {
         return NeedInteger(o.simulate.nSeed, v, 0, kUInt32Max);
     }},
};

template <std::size_t N>
const OPTIONDEF* FindOption(const OPTIONDEF (&table)[N], const std::string& name) {
    for (const OPTIONDEF& option : table)
        if (name == option.pszName)
            return &option;
    return nullptr;
}

CLIPARSE Failure(const std::string& text) {
    CLIPARSE result;
    result.strError = "tessaric-cli: " + text + " (see tessaric-cli --help)";
    // The message quotes what the user typed; a line break or another
    // control character in it must not break the one line.
    for (char& c : result.strError)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return result;
}

} // namespace

bool NeedsDiagrams(const EVALUATEOPTIONS& options) {
    return !options.strOutDir.empty() || !options.strHtmlFile.empty() ||
           !options.strPdfFile.empty();
}

CLIPARSE ParseCommandLine(const std::vector<std::string>& arguments) {
    CLIPARSE result;
    CLIOPTIONS& options = result.options;
    if (arguments.empty())
        return Failure("missing command");
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h") {
        options.command = CliCommand::Help;
    } else if (command == "--version") {
        options.command = CliCommand::Version;
    } else if (command == "evaluate") {
        options.command = CliCommand::Evaluate;
    } else if (command == "compare") {
        options.command = CliCommand::Compare;
    } else if (command == "simulate") {
        options.command = CliCommand::Simulate;
    } else if (!command.empty() && command[0] == '-') {
        return Failure("unknown option '" + command + "'");
    } else {
        return Failure("unknown command '" + command + "'");
    }
    if (options.command == CliCommand::Help || options.command == CliCommand::Version) {
        if (arguments.size() > 1)
            return Failure("unexpected argument '" + arguments[1] + "'");
        result.bOk = true;
        return result;
    }

    // compare takes evaluate's options and adds its own defaults below.
    const bool bEvaluate =
        options.command == CliCommand::Evaluate || options.command == CliCommand::Compare;
    std::vector<std::string> positional;
    bool bOptionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (bOptionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            bOptionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            options.command = CliCommand::Help;
            result.bOk = true;
            return result;
        }
        // "--name=value" and "--name value" both work.
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const OPTIONDEF* option =
            bEvaluate ? FindOption(kEvaluateOptions, name) : FindOption(kSimulateOptions, name);
        if (!option)
            option = FindOption(kCommonOptions, name);
        if (!option)
            return Failure("unknown option '" + name + "'");
        std::string value;
        if (option->bTakesValue) {
            if (equals != std::string::npos)
                value = argument.substr(equals + 1);
            else if (option->bValueOptional) {
                // Only a whole number is taken as the value: anything else
                // is the next option or a LOGFILE.
                std::int64_t number = 0;
                if (i + 1 < arguments.size() && ReadInteger(arguments[i + 1], 0, kInt32Max, number))
                    value = arguments[++i];
            } else if (i + 1 < arguments.size())
                value = arguments[++i];
            else
                return Failure("option '" + name + "' needs a value");
        } else if (equals != std::string::npos) {
            return Failure("option '" + name + "' takes no value");
        }
        const std::string problem = option->apply(options, value);
        if (!problem.empty())
            return Failure("invalid value '" + value + "' for option '" + name + "': " + problem);
    }

    if (options.command == CliCommand::Compare) {
        if (positional.empty())
            return Failure("compare needs at least one LOG[:SERIES]");
        if (!options.evaluate.bFit)
            return Failure("compare needs the model fit; it cannot be combined with '--no-fit'");
        // The verdict rests on the bootstrap; without --confidence its
        // default number of replicates.
        if (options.evaluate.nConfidenceReplicates == 0)
            options.evaluate.nConfidenceReplicates = kDefaultConfidenceReplicates;
    }
    if (bEvaluate) {
        if (positional.empty())
            return Failure("evaluate needs at least one LOGFILE");
        if (options.evaluate.nConfidenceReplicates > 0 && !options.evaluate.bFit)
            return Failure("option '--confidence' needs the model fit; it cannot be combined "
                           "with '--no-fit'");
        // The diagrams are only drawn for --out; a size without it would be
        // dropped without a word.
        if (options.evaluate.nDiagramWidth > 0 && options.evaluate.strOutDir.empty())
            return Failure("option '--size' needs '--out': only the diagram files have a size");
        options.evaluate.files = std::move(positional);
    } else {
        if (positional.size() != 1)
            return Failure(positional.empty()
                               ? std::string("simulate needs an OUTFILE")
                               : "simulate takes one OUTFILE, not also '" + positional[1] + "'");
        options.strSimulateOut = positional[0];
        const SIMULATIONSETTINGS& settings = options.simulate;
        if (settings.format == SimulatedLogFormat::ORVEX && settings.nRecordings != 1)
            return Failure("option '--recordings' applies to C1A1 logs only");
        if (settings.nImages * settings.dPeriod > kMaxSimulatedSeconds)
            return Failure(FormatC("options '--images' and '--period' give a recording longer "
                                   "than %.0f s",
                                   kMaxSimulatedSeconds));
        if (!IsCarriedPeriod(settings))
            return Failure(FormatC("options '--images' and '--period' give a log whose "
                                   "whole-second time stamps read back as a period of %g s, not "
                                   "%g s; every period from %g s on works for %d images",
                                   SimulatedReadBackPeriod(settings), settings.dPeriod,
                                   ShortestCarriedPeriod(settings.nImages),
                                   static_cast<int>(settings.nImages)));
        if (!(CorrelatedSpread(settings) <= kMaxSimulatedNm))
            return Failure(FormatC("options '--da', '--tc' and '--period' give a correlated "
                                   "part that spreads beyond %.0f nm",
                                   kMaxSimulatedNm));
        // Whatever else the simulator refuses; the options above catch all
        // it knows today.
        const std::string problem = CheckSimulationSettings(settings);
        if (!problem.empty())
            return Failure(problem);
    }
    result.bOk = true;
    return result;
}

std::string UsageText() {
    return R"(Usage:
  tessaric-cli evaluate [options] LOGFILE...
  tessaric-cli compare [evaluate's options] LOG[:SERIES]...
  tessaric-cli simulate [options] OUTFILE
  tessaric-cli --help | --version

evaluate: reads each log, evaluates every series in it and prints its
Astigmatism Stability Report.
  --format auto|c1a1|orvex  log format (auto: ORVEXStab when the file holds an
                            ORVEXStab header line, C1A1 otherwise)
  --rotation DEG            rotate the x-y plane on extraction, -360 to 360
                            (default 0)
  --mirror-y                mirror the y axis on extraction
  --min-diversity M         minimum diversity of the characteristic function,
                            5 to 50000 (default 10)
  --energy KEV              electron energy (default 300)
  --resolution ANG          target resolution in Angstrom (default 1)
  --phase PI                phase limit in fractions of pi, 0.001 to 1000
                            (default 0.25)
  --no-fit                  no model fit: direct evaluation only
  --series N                evaluate only the N-th series of each file
  --seed S                  fix the fit's random restarts (reproducible runs)
  --out DIR                 also write per series the report, the text tables
                            (.txt), binary files (.dat) and diagrams (.png)
                            into DIR, named <stem>-s<NNN>-<kind>.<ext>, kind
                            one of report, time, cfunc, model, prob, and for
                            the diagrams a22-time, a22-plane, cfunc, model,
                            prob
  --size WxH                pixel size of the diagrams of --out (default
                            583x339, the diagram window's)
  --gap-pairs images|adjacent
                            pairs across missing images: every pair of
                            images k apart (default), or only neighbours in
                            the file, as the original method
  --outliers flag|exclude|keep
                            samples that step out and back: name them in the
                            log and report (default), leave them out as
                            missing images, or do not test
  --window W                images per window of the walk change test
                            (default: a twentieth of the series, at least 50)
  --summary FILE.csv        also write one row per series of every log:
                            its parameters, lifetimes and (with
                            --confidence) their 90 % interval ends, units
                            in the header
  --html FILE               also write one self-contained HTML report of
                            every series: report text, diagrams, input file
                            with its SHA-256, settings and seeds; the same
                            input and seed give the same bytes (a date only
                            from SOURCE_DATE_EPOCH)
  --pdf FILE                the same report as a PDF, A4, one series a page
  --confidence [B]          also compute 90 % confidence intervals of the
                            model and the lifetimes from B bootstrap
                            replicates, 20 to 100000 (B = 200 when not
                            given); with --out also the replicate table
                            <stem>-s<NNN>-confidence.txt

compare: evaluates the chosen series (LOG:N the N-th series of LOG, LOG alone
every series of it) with 90 % confidence intervals (--confidence, B = 200
when not given) and prints a table of their parameters and lifetimes; for
two series also the ratio of their model lifetimes with its interval from
both bootstraps: "changed" when the interval excludes 1, "no change shown"
otherwise. --html FILE also writes the comparison as an HTML file.

simulate: writes a synthetic log of a known astigmatism process: a random
walk of strength Di, a correlated part of strength Da and correlation time
tc, a linear drift and white measurement noise.
  --format c1a1|orvex       log format (default c1a1)
  --images N                images per recording (default 500)
  --period SEC              seconds per image (default 1)
  --di NM                   random-walk strength Di, up to 10000 (default 0.05)
  --da NM                   correlated strength Da, up to 10000 (default 0)
  --tc SEC                  correlation time (default 60)
  --drift NM_PER_IMAGE      drift per image, -10000 to 10000 (default 0)
  --drift-angle DEG         direction of the drift (default 0)
  --noise NM                measurement noise per component, up to 10000
                            (default 0)
  --recordings R            recordings in one C1A1 log (default 1)
  --seed S                  random seed; the same seed gives the same file
                            (default 1)

Both commands:
  --quiet                   no program log records on stderr
  --debug-level N           add the log's debug records up to level N (1-4)
  --log FILE                also append the program log to FILE

Exit status: 0 success; 1 a log could not be read or gave no evaluated
series (the other logs are still evaluated), or the simulated log could not
be written; 2 usage error.
)";
}
