#include "pages/CTessaricPage.h"

#include "infra/CLogFile.h"

CTessaricPage::CTessaricPage(QWidget* parent)
    : QWidget(parent), m_Units(CDialogUnits::ForFont(DialogFont())) {
    setFont(DialogFont());
}

void CTessaricPage::LogDebug(const std::string& text) const {
    if (m_pLog)
        m_pLog->WriteDebug(text, kPageDebugLevel);
}
