#pragma once
// CBackupPage: the "Backup" page.

#include "app/OperationPage.h"

namespace vantrel::app {

class CBackupPage : public COperationPage {
    Q_OBJECT
public:
    explicit CBackupPage(QWidget* parent = nullptr);

protected:
    void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) override;
};

}  // namespace vantrel::app
