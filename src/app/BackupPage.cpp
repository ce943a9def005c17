#include "app/BackupPage.h"

#include "app/ControlIds.h"

namespace vantrel::app {

CBackupPage::CBackupPage(QWidget* parent) : COperationPage(ids::kBackupPage, "Backup", parent) {
    setObjectName("backupPage");
}

void CBackupPage::OnCommsStatus(std::uint32_t, const std::optional<std::string>&) {}

}  // namespace vantrel::app
