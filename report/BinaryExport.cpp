// The four binary data files of a series: int32 N (records), int32 M (values
// per record), the file's header values and N records of M values, all
// float32, little-endian whatever the host. The files differ only in the
// parts listed in their BINARYDEF.
#include "data/CA1TimeSeries.h"
#include "infra/CNumber.h"
#include "infra/CSafeFileWriter.h"
#include "report/ExportCurves.h"
#include "report/ExportFrame.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace {

// The values as doubles: each is checked against the range of the file's
// 32-bit floats before it is rounded to one.
struct BINARYDATA {
    std::vector<double> header;
    std::size_t nRecords = 0;
    // Fills the M values of record i.
    std::function<void(std::size_t i, double* values)> fill;
};

struct BINARYDEF {
    EXPORTKIND kind;
    int nValues; // M
    BINARYDATA (*data)(const CA1TimeSeries& series);
};

// Collects little-endian words and hands them to the file in blocks, so that
// a long series costs few writes.
class CLittleEndianWriter {
public:
    explicit CLittleEndianWriter(CSafeFileWriter& file) : m_file(file) {}

    void Int32(std::int32_t value) { Word(static_cast<std::uint32_t>(value)); }
    void Float32(float value) { Word(std::bit_cast<std::uint32_t>(value)); }

    // False, and nothing written, for a value that a 32-bit float cannot
    // hold: rounding it would write "inf" (or carry a "nan" along) into a
    // file whose readers take every value for a measurement.
    bool FittingFloat32(double value) {
        if (!(std::fabs(value) <= std::numeric_limits<float>::max()))
            return false;
        Float32(static_cast<float>(value));
        return true;
    }

    bool Flush() {
        m_bOk = m_bOk && m_file.Write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return m_bOk;
    }
    bool Ok() const { return m_bOk; }

private:
    static constexpr std::size_t kBlockBytes = 64 * 1024;

    void Word(std::uint32_t bits) {
        for (int byte = 0; byte < 4; ++byte)
            m_buffer.push_back(static_cast<unsigned char>(bits >> (8 * byte)));
        if (m_buffer.size() >= kBlockBytes)
            Flush();
    }

    CSafeFileWriter& m_file;
    std::vector<unsigned char> m_buffer;
    bool m_bOk = true;
};

BINARYDATA TimeData(const CA1TimeSeries& series) {
    return {{}, series.m_Samples.size(), [&series](std::size_t i, double* values) {
                const A1SAMPLE& sample = series.m_Samples[i];
                // The time is a product in single precision of the two
                // factors already rounded, so the file's times are exactly
                // those a single-precision reader would compute.
                values[0] = static_cast<float>(std::int64_t{sample.nImage} - 1) *
                            static_cast<float>(series.m_dPeriod);
                values[1] = sample.dX;
                values[2] = sample.dY;
            }};
}

BINARYDATA CFuncData(const CA1TimeSeries& series) {
    return {{series.m_dMeasError, series.m_dMeasErrorX, series.m_dMeasErrorY},
            series.m_CFuncData.size(),
            [&series](std::size_t i, double* values) {
                // Unlike the text table, x and y parts stay apart.
                const A1SAMPLE& point = series.m_CFuncData[i];
                values[0] = static_cast<float>(series.m_dPeriod) * static_cast<float>(point.nImage);
                values[1] = point.dX;
                values[2] = point.dY;
                values[3] = point.dErrX;
                values[4] = point.dErrY;
            }};
}

BINARYDATA ModelData(const CA1TimeSeries& series) {
    return {{series.m_dModelDi, series.m_dModelDa, series.m_dModelTc * series.m_dPeriod,
             series.m_dModelS, series.m_dPeriod},
            kExportCurvePoints,
            [&series](std::size_t i, double* values) {
                const MODELPOINT point = ModelCurvePoint(series, static_cast<int>(i));
                values[0] = point.dTime;
                values[1] = point.dF;
                values[2] = point.dF16;
                values[3] = point.dF84;
            }};
}

BINARYDATA ProbData(const CA1TimeSeries& series) {
    const double dStep = ProbabilityDataStep(series);
    return {{series.m_dElEnergy, series.m_dTargetRes, series.m_dTolerance},
            kExportCurvePoints,
            [&series, dStep](std::size_t i, double* values) {
                const PROBPOINT point = ProbabilityCurvePoint(series, dStep, static_cast<int>(i));
                values[0] = point.dTime;
                values[1] = point.dProbability;
            }};
}

const BINARYDEF kTimeData = {
    {"] for saving astigmatism-time data.", "] for writing astigmatism-time data.",
     "Successfully saved astigmatism-time data to file [",
     "ERROR: Failed to save astigmatism-time data to file [", nullptr, false, false},
    3,
    TimeData,
};
const BINARYDEF kCFuncData = {
    {"] for saving characteristic function data.", "] for writing characteristic function data.",
     "Successfully saved characteristic function data to file [",
     "ERROR: Failed to save characteristic function data to file [",
     "ERROR: Aborted saving characteristic function data. Data is not ready.", false, false},
    5,
    CFuncData,
};
const BINARYDEF kModelData = {
    {"] for saving characteristic function model data.",
     "] for writing characteristic function model data.",
     "Successfully saved characteristic function model data to file [",
     "ERROR: Failed to save characteristic function model data to file [",
     "ERROR: Aborted saving characteristic function model data. Data is not ready.", true, true},
    4,
    ModelData,
};
const BINARYDEF kProbData = {
    {"] for saving probability data.", "] for writing probability data.",
     "Successfully saved probability data to file [", "ERROR: Failed to probability data to file [",
     "ERROR: Aborted saving probability data. Data is not ready.", true, true},
    2,
    ProbData,
};

bool ExportBinary(const CA1TimeSeries& series, const std::string& path, const BINARYDEF& def) {
    return RunExport<CSafeFileWriter>(series, path, def.kind, [&](CSafeFileWriter& file) {
        const BINARYDATA data = def.data(series);
        CLittleEndianWriter out(file);
        // The count is written as the low 32 bits of the number of elements.
        out.Int32(static_cast<std::int32_t>(static_cast<std::uint32_t>(data.nRecords)));
        out.Int32(def.nValues);
        const auto unfit = [&](double value, const std::string& where) {
            series.LogMessage(FormatC("ERROR: The value %G in ", value) + where +
                              " does not fit the 32-bit floats of file [" + path +
                              "]; the file is not written.");
            return false;
        };
        for (double value : data.header)
            if (!out.FittingFloat32(value))
                return unfit(value, "the header");
        std::vector<double> values(static_cast<std::size_t>(def.nValues));
        for (std::size_t i = 0; i < data.nRecords && out.Ok(); ++i) {
            data.fill(i, values.data());
            for (double value : values)
                if (!out.FittingFloat32(value))
                    return unfit(value, FormatC("record %zu", i + 1));
        }
        return out.Flush();
    });
}

} // namespace

bool CA1TimeSeries::ExportTimeData(const std::string& path) {
    return ExportBinary(*this, path, kTimeData);
}

bool CA1TimeSeries::ExportCFuncData(const std::string& path) {
    return ExportBinary(*this, path, kCFuncData);
}

bool CA1TimeSeries::ExportModelData(const std::string& path) {
    return ExportBinary(*this, path, kModelData);
}

bool CA1TimeSeries::ExportProbData(const std::string& path) {
    return ExportBinary(*this, path, kProbData);
}
