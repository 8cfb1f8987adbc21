#pragma once

#include "infra/ProgressCallback.h"

#include <cstdio>
#include <functional>
#include <string>

// One progress line on a terminal for a long evaluation: "label: NN %",
// rewritten in place. It appears only once the evaluation has run for
// kShowAfterSeconds, so quick evaluations leave the terminal as it was, and
// it is wiped when the evaluation ends.
class CTerminalProgress {
public:
    // seconds on a steady clock; tests pass their own
    using Clock = std::function<double()>;

    static constexpr double kShowAfterSeconds = 1.0;

    explicit CTerminalProgress(std::FILE* pOut, Clock clock = {});

    // A callback for one long step of the core. The step's line and its
    // clock start with its first report (the core reports 0 when a step
    // starts), which also wipes the line of another step.
    ProgressCallback Track(const std::string& label);
    // Wipes the line if it is shown, so that other text can take its place;
    // the next report of the computation draws it again.
    void Wipe();
    // Wipes the line at the end of the evaluation; the next report of any
    // step starts its clock afresh.
    void Finish();

private:
    void Show(const std::string& label, double dDone);

    std::FILE* m_pOut;
    Clock m_Clock;
    std::string m_strLabel;
    double m_dStart = 0.0;
    bool m_bActive = false;
    int m_nShownPercent = -1; // -1 while nothing is shown
    std::size_t m_nShownWidth = 0;
};
