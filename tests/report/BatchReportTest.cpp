#include "evaluation/BootstrapConfidence.h"
#include "report/HtmlReport.h"
#include "report/ReportTestSupport.h"
#include "report/SeriesSummary.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

std::vector<std::string> SplitCommas(const std::string& row) {
    std::vector<std::string> fields(1);
    for (char c : row) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::string FieldOf(const std::string& row, const std::string& header) {
    const std::vector<std::string> names = SplitCommas(SummaryHeaderLine());
    const std::vector<std::string> values = SplitCommas(row);
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
        if (names[i] == header)
            return values[i];
    ADD_FAILURE() << "no column " << header;
    return {};
}

CONFIDENCERESULT SomeIntervals() {
    CONFIDENCERESULT confidence;
    confidence.bValid = true;
    confidence.nReplicates = 20;
    confidence.nSeed = 9;
    for (CONFIDENCEINTERVAL& interval : confidence.intervals)
        interval = {1.0, 0.5, 2.0};
    confidence.intervals[kConfidenceUpperLimit].dUpper = std::numeric_limits<double>::infinity();
    return confidence;
}

} // namespace

TEST(BatchSummary, FieldsAreQuotedByTheCsvRules) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain.log", "plain.log"},
        {"a,b.log", "\"a,b.log\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(CsvField(text), expected) << text;
}

// A series with a model and intervals, one without a model and one not
// evaluated: the fields that do not exist are empty, never "nan".
TEST(BatchSummary, RowsHoldWhatEachSeriesHas) {
    const CA1TimeSeries model = MakeEvaluatedSeries();
    CA1TimeSeries direct = MakeEvaluatedSeries();
    direct.m_nModelState = 0;
    CA1TimeSeries bare;
    const CONFIDENCERESULT confidence = SomeIntervals();
    const std::string withModel = SummaryRow({"/data/a.log", 1, &model, &confidence});
    const std::string withoutModel = SummaryRow({"x.log", 2, &direct, nullptr});
    const std::string notEvaluated = SummaryRow({"x.log", 3, &bare, nullptr});

    EXPECT_TRUE(SummaryVersionLine().starts_with("Tessaric v"));
    EXPECT_NE(SummaryHeaderLine().find(",Di [nm],"), std::string::npos);
    EXPECT_NE(SummaryHeaderLine().find(",model lifetime 95% [s],"), std::string::npos);
    EXPECT_TRUE(withModel.starts_with("/data/a.log,1,model fitted,"));
    EXPECT_EQ(FieldOf(withModel, "tc [s]"), "6.15");
    EXPECT_EQ(FieldOf(withModel, "period [s]"), "0.5");
    EXPECT_EQ(FieldOf(withModel, "Di 5% [nm]"), "0.5");
    EXPECT_EQ(FieldOf(withModel, "upper limit 16% 95% [s]"), "unbounded");
    EXPECT_EQ(FieldOf(withoutModel, "state"), "direct method only");
    EXPECT_EQ(FieldOf(withoutModel, "Di [nm]"), "");
    EXPECT_EQ(FieldOf(withoutModel, "model lifetime [s]"), "");
    EXPECT_EQ(FieldOf(withoutModel, "Di 5% [nm]"), "");
    EXPECT_NE(FieldOf(withoutModel, "direct lifetime [s]"), "");
    EXPECT_EQ(FieldOf(notEvaluated, "state"), "not evaluated");
    EXPECT_EQ(FieldOf(notEvaluated, "tolerance [nm]"), "");
    for (const std::string& line : {withModel, withoutModel, notEvaluated}) {
        EXPECT_EQ(SplitCommas(line).size(), SplitCommas(SummaryHeaderLine()).size());
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
    }
}

TEST(HtmlReport, TextIsEscapedToAscii) {
    const std::pair<const char*, const char*> cases[] = {
        {"a < b & c > \"d\"", "a &lt; b &amp; c &gt; &quot;d&quot;"},
        {"\xC2\xB2 and \xE2\x80\x93", "&#xB2; and &#x2013;"},
        {"line\r\nnext", "line\nnext"},
        {"latin \xE9!", "latin &#xFFFD;!"},
        {"cut \xE2\x80", "cut &#xFFFD;&#xFFFD;"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(HtmlText(text), expected) << text;
}

TEST(HtmlReport, SameInputGivesSameBytesWithProvenance) {
    const CA1TimeSeries series = MakeEvaluatedSeries();
    const CONFIDENCERESULT confidence = SomeIntervals();
    SERIESREPORTINPUT input;
    input.pSeries = &series;
    input.nSeries = 1;
    input.pConfidence = &confidence;
    input.nFitSeed = 42;
    input.input = {"run<1>.log", 1234, std::string(64, 'a')};
    input.images = {{"Characteristic function f(t)", "data:image/png;base64,AAAA", 10, 20}};
    const std::string html = BuildHtmlReport({input}, {});
    EXPECT_EQ(BuildHtmlReport({input}, {}), html);
    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>\n"));
    for (const std::string& part :
         {std::string("run&lt;1&gt;.log"), std::string(64, 'a'), std::string("1234 bytes"),
          std::string("<td>42</td>"), std::string("Confidence (90 %, 20 replicates)"),
          std::string("src=\"data:image/png;base64,AAAA\" width=\"10\" height=\"20\""),
          std::string("Fit notes:"), std::string("<td>300.0 keV</td>")})
        EXPECT_NE(html.find(part), std::string::npos) << part;
    for (unsigned char c : html)
        EXPECT_LT(c, 0x80);
    EXPECT_EQ(html.find("report of"), std::string::npos);
    const std::string dated = BuildHtmlReport({input}, {1700000000LL});
    EXPECT_NE(dated.find("report of 2023-11-14 22:13:20 UTC"), std::string::npos);
}
