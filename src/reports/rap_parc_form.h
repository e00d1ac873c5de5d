#pragma once

#include <vector>

#include "reports/report_form.h"

// The per-parcel report ("RAPORT PE PARCELA"): the titles that hold land in
// a village, plot or parcel, each once with the sum of its surfaces there,
// the area by type and category, and the check against the land-register
// value of the location, the same value the general report shows for it.
class TRapParcF : public reports::ReportForm {
    Q_OBJECT

public:
    explicit TRapParcF(QWidget* parent = nullptr);

    reports::RegisterKey registerKey() const override;
    QStringList exportCaptions() const override;

    QComboBox* SatBox;
    QComboBox* TarlaBox;
    QLineEdit* NrTarlaE;
    ui::NumericEdit* ParcelaNr;

protected:
    QStringList reportStatement() const override;
    int filterLine() const override { return 4; }
    void prepareFilters() override;
    void resetFilters() override;
    QString registerDialogText() const override;
    bool keepsRegisterOpen() const override { return false; }
    std::vector<SetFilter> setFilters() const override;

};
