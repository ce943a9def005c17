#include "app/FilePage.h"

#include "app/ControlIds.h"

namespace vantrel::app {

CFilePage::CFilePage(QWidget* parent) : COperationPage(ids::kFilePage, "ID Tags", parent) {
    setObjectName("filePage");
}

void CFilePage::OnCommsStatus(std::uint32_t, const std::optional<std::string>&) {}

}  // namespace vantrel::app
