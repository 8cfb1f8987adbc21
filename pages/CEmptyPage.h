#pragma once

#include "pages/CTessaricPage.h"

// A page that shows nothing but keeps the series it was handed: it stands in
// for a tab whose page is not built yet, so that the tabs, their stored
// selection and the page placement work for every tab.
class CEmptyPage : public CTessaricPage {
public:
    explicit CEmptyPage(QWidget* parent = nullptr) : CTessaricPage(parent) {}

    void ShowSeries(CA1TimeSeries* series) override {
        if (series)
            m_pSeries = series;
    }
    QSize TemplateSize() const override { return m_Units.Size(464, 260); }
};
