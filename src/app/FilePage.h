#pragma once
// CFilePage: the "ID Tags" page.

#include "app/OperationPage.h"

namespace vantrel::app {

class CFilePage : public COperationPage {
    Q_OBJECT
public:
    explicit CFilePage(QWidget* parent = nullptr);

protected:
    void OnCommsStatus(std::uint32_t progress, const std::optional<std::string>& text) override;
};

}  // namespace vantrel::app
