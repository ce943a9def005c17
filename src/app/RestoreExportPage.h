#pragma once
// CRestoreExportPage: the "Restore / Export" page.

#include "app/OperationPage.h"

namespace vantrel::app {

class CRestoreExportPage : public COperationPage {
    Q_OBJECT
public:
    explicit CRestoreExportPage(QWidget* parent = nullptr);

    // The backup list is read again the next time the page is shown.
    void SetRefresh() { m_bRefresh = true; }
    bool NeedsRefresh() const { return m_bRefresh; }

protected:
    void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) override;

private:
    bool m_bRefresh = true;
};

}  // namespace vantrel::app
