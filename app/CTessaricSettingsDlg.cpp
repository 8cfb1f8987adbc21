#include "app/CTessaricSettingsDlg.h"

#include "diagram/DialogUnits.h"
#include "infra/CMainParameters.h"
#include "infra/CNumber.h"
#include "pages/IUserDialogs.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <QRegularExpression>

#include <charconv>
#include <optional>

namespace {

// The whole field as one decimal integer (blanks around it allowed), as the
// classic integer field reads it.
std::optional<std::int64_t> ReadWholeInteger(const QString& text) {
    const std::string trimmed = text.trimmed().toStdString();
    std::int64_t value = 0;
    const char* begin = trimmed.data();
    const char* end = begin + trimmed.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (begin == end || error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace

CTessaricSettingsDlg::CTessaricSettingsDlg(std::int32_t nMinDiversity, double dLimitPhase,
                                           IUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_nMinDiversity(nMinDiversity), m_dLimitPhase(dLimitPhase),
      m_Dialogs(dialogs) {
    setFont(DialogFont());
    const CDialogUnits units = CDialogUnits::ForFont(font());
    setWindowTitle(QStringLiteral("Program Settings"));
    setFixedSize(units.Size(316, 93));
    const auto label = [&](const char* text, int x, int y, int w, int h) {
        (new QLabel(QString::fromUtf8(text), this))->setGeometry(units.Rect(x, y, w, h));
    };
    label("Minimum diversity of the characteristic function:", 12, 14, 154, 8);
    m_edMinDiversity = new QLineEdit(this);
    m_edMinDiversity->setGeometry(units.Rect(168, 12, 48, 14));
    m_edMinDiversity->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    label("(Use values above 10!)", 222, 14, 76, 8);
    label("Astigmatism phase shift tolerance:", 12, 38, 111, 8);
    m_edLimitPhase = new QLineEdit(this);
    m_edLimitPhase->setGeometry(units.Rect(168, 36, 48, 14));
    label("(Specify in fractions of Pi!)", 222, 38, 86, 8);
    auto* separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(units.Rect(12, 66, 294, 1));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(units.Rect(198, 71, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(units.Rect(252, 71, 50, 14));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CTessaricSettingsDlg::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_strLimitPhase = FormatC("%.3f", m_dLimitPhase);
    PutControls();
}

void CTessaricSettingsDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_edMinDiversity->setFocus();
    m_edMinDiversity->selectAll();
}

void CTessaricSettingsDlg::PutControls() {
    m_edMinDiversity->setText(QString::number(m_nMinDiversity));
    m_edLimitPhase->setText(QString::fromStdString(m_strLimitPhase));
}

bool CTessaricSettingsDlg::TakeControls() {
    const std::optional<std::int64_t> minDiversity = ReadWholeInteger(m_edMinDiversity->text());
    if (!minDiversity) {
        m_Dialogs.ShowMessage(this, "Enter an integer.");
        m_edMinDiversity->setFocus();
        return false;
    }
    if (!IsMinDiversityInRange(*minDiversity)) {
        m_Dialogs.ShowMessage(this, FormatC("Enter an integer between %d and %d.",
                                            kMinDiversityLowest, kMinDiversityHighest));
        m_edMinDiversity->setFocus();
        return false;
    }
    m_nMinDiversity = static_cast<std::int32_t>(*minDiversity);
    m_strLimitPhase = m_edLimitPhase->text().toStdString();
    return true;
}

void CTessaricSettingsDlg::OnOK() {
    if (!TakeControls())
        return;
    if (!m_strLimitPhase.empty())
        m_dLimitPhase = ClampLimitPhase(ParseCDouble(m_strLimitPhase));
    accept();
}
