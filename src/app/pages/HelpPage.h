// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CHelpPropPage: the base of the main sheet's pages. A page knows its number (its help
// topic and the help context of its controls), its tab caption and the sheet that holds
// it (through IPageHost only), and takes part in page navigation: the sheet asks the page
// it leaves, and tells the page it shows.

#include <QString>
#include <QWidget>

namespace vantrel::app {

class IPageHost;

class CHelpPropPage : public QWidget {
    Q_OBJECT
public:
    CHelpPropPage(int pageId, const QString& caption, QWidget* parent = nullptr);

    int PageId() const { return pageId_; }
    const QString& Caption() const { return caption_; }
    void SetSheet(IPageHost* sheet) { m_pSheet = sheet; }

    // The page has become the active page.
    virtual void OnSetActive() {}
    // The user is leaving the page; false keeps it active.
    virtual bool OnKillActive() { return true; }
    // An operation started from this page is running.
    virtual bool IsBusy() const { return false; }

protected:
    IPageHost* m_pSheet = nullptr;

private:
    int pageId_;
    QString caption_;
};

}  // namespace vantrel::app
