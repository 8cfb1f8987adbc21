#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class IUserDialogs;
class QLineEdit;

// "Program Settings": the minimum diversity of the characteristic function
// (an integer from 5 to 50000) and the phase limit (clamped to 0.001 to
// 1000 fractions of pi).
class CTessaricSettingsDlg : public QDialog {
    Q_OBJECT

public:
    CTessaricSettingsDlg(std::int32_t nMinDiversity, double dLimitPhase, IUserDialogs& dialogs,
                         QWidget* parent = nullptr);

    // The data exchange. Taking fails, with its message shown once, when the
    // minimum diversity is no integer of the range; the members then keep
    // their values.
    bool TakeControls();
    void PutControls();

    // OK: take the fields, then close with OK; a refused field keeps the
    // dialog open with the user's input.
    void OnOK();

    std::int32_t m_nMinDiversity;
    double m_dLimitPhase;
    std::string m_strLimitPhase;

    QLineEdit* m_edMinDiversity = nullptr;
    QLineEdit* m_edLimitPhase = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    IUserDialogs& m_Dialogs;
};
