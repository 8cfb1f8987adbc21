#include "cli/CTerminalProgress.h"

#include "infra/CNumber.h"

#include <chrono>
#include <cmath>

namespace {

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CTerminalProgress::CTerminalProgress(std::FILE* pOut, Clock clock)
    : m_pOut(pOut), m_Clock(clock ? std::move(clock) : Clock(&SteadySeconds)) {}

ProgressCallback CTerminalProgress::Track(const std::string& label) {
    return [this, label](double dDone) { Show(label, dDone); };
}

void CTerminalProgress::Show(const std::string& label, double dDone) {
    if (!m_bActive || label != m_strLabel) {
        Wipe();
        m_strLabel = label;
        m_dStart = m_Clock();
        m_bActive = true;
    }
    if (m_Clock() - m_dStart < kShowAfterSeconds)
        return;
    const int percent = static_cast<int>(std::floor(std::fmin(std::fmax(dDone, 0.0), 1.0) * 100.0));
    // the terminal is written only when the figure changes
    if (percent == m_nShownPercent)
        return;
    m_nShownPercent = percent;
    const std::string line = m_strLabel + FormatC(": %d %%", percent);
    m_nShownWidth = line.size();
    std::fputs(("\r" + line).c_str(), m_pOut);
    std::fflush(m_pOut);
}

void CTerminalProgress::Wipe() {
    if (m_nShownPercent < 0)
        return;
    std::fputs(("\r" + std::string(m_nShownWidth, ' ') + "\r").c_str(), m_pOut);
    std::fflush(m_pOut);
    m_nShownPercent = -1;
    m_nShownWidth = 0;
}

void CTerminalProgress::Finish() {
    Wipe();
    m_bActive = false;
}
