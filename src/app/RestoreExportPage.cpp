#include "app/RestoreExportPage.h"

#include "app/ControlIds.h"

namespace vantrel::app {

CRestoreExportPage::CRestoreExportPage(QWidget* parent)
    : COperationPage(ids::kRestoreExportPage, "Restore / Export", parent) {
    setObjectName("restoreExportPage");
}

void CRestoreExportPage::OnCommsStatus(std::uint32_t, const std::optional<std::string>&) {}

}  // namespace vantrel::app
