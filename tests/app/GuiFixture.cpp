// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/GuiFixture.h"

#include <QApplication>

#include "ops/AppSettings.h"

namespace vantrel::app::test {

GuiTest::GuiTest() {
    std::filesystem::create_directories(BackupFolder());
    std::filesystem::create_directories(folder_.path() / "desktop");
    folders_.documents = folder_.path();
    folders_.desktop = folder_.path() / "desktop";
    WriteBackupFolder(settings_, BackupFolder().string());
}

GuiTest::~GuiTest() {
    sheet_.reset();
}

CMainSheet& GuiTest::MakeSheet(bool withIdTags, SerialPortFactory ports) {
    sheet_.reset();
    sheet_ = std::make_unique<CMainSheet>(CMainSheet::Environment{settings_, folders_, withIdTags,
                                                                  std::move(ports), &prompt_,
                                                                  [this] { return listedPorts_; }});
    sheet_->show();
    QApplication::processEvents();
    return *sheet_;
}

}  // namespace vantrel::app::test
