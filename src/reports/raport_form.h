#pragma once

#include <vector>

#include "reports/report_form.h"

// The general report ("RAPORT GENERAL"): every land surface of the register
// with its title, under nine filters that combine freely, the area by type
// and category, and the check against the land-register value recorded for
// the combination.
class TRaportF : public reports::ReportForm {
    Q_OBJECT

public:
    explicit TRaportF(QWidget* parent = nullptr);

    reports::RegisterKey registerKey() const override;
    QStringList exportCaptions() const override;

    QComboBox* SatBox;
    QLineEdit* TitularE;
    QComboBox* TarlaBox;
    QLineEdit* NrTarlaE;
    ui::NumericEdit* ParcelaNr;
    QLineEdit* LotNr;
    QComboBox* AnexaC;
    QComboBox* TipC;
    QComboBox* CategC;

protected:
    QStringList reportStatement() const override;
    int filterLine() const override { return 5; }
    void prepareFilters() override;
    void resetFilters() override;
    QString registerDialogText() const override;
    bool keepsRegisterOpen() const override { return true; }
    std::vector<SetFilter> setFilters() const override;

};
