// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CReadingsWindow: the readings of a backup's profiles as a chart. A profile picker, the
// format (calibrated moisture by default, scaled frequency by a switch), one line per
// sensor depth over time; zoom with a dragged rectangle, the wheel, the keys "+", "-" and
// the arrows, "Reset" (or a double click) back to the whole profile; the tooltip names the nearest
// reading; "Save Image..." writes PNG or SVG, "Copy" puts the picture on the clipboard. A profile
// with nothing to draw shows why instead of a chart. Over several backups the picker lists the
// series of their site's history, each drawn over all its backups with a thin line where each
// backup's readings begin (its tooltip names the backup) and breaks where none has readings.
//
// The window keeps its own copy of the backups, so the caller's may go at once. GUI
// thread only.

#include <QDialog>
#include <QString>
#include <memory>

#include "data/VantrelArchive.h"
#include "ops/ProfileSeries.h"
#include "ops/SiteHistory.h"

class QButtonGroup;
class QComboBox;
class QImage;
class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace vantrel::chart {
class ReadingsChart;
}

namespace vantrel::app {

class IPageHost;
class ReadingsChartView;
class ReadingsSource;

class CReadingsWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the profile with archive index `profileIndex` (the first when there is no
    // such profile).
    CReadingsWindow(IPageHost& sheet, CVantrelArchive archive, const QString& backupTitle,
                    QWidget* parent = nullptr, int profileIndex = 0);
    // Shows entry `entry` of `source` (the first when there is no such entry).
    CReadingsWindow(IPageHost& sheet, std::unique_ptr<ReadingsSource> source, QWidget* parent,
                    int entry = 0);
    ~CReadingsWindow() override;

    // Opens a window on `archive` (copied) titled `title`, showing the profile with archive
    // index `profileIndex` (the first when there is no such profile). The window deletes
    // itself when closed; `parent` (the page or the export dialog; not null) keeps it on top
    // and ends it with itself.
    static CReadingsWindow* ShowForBackup(IPageHost& sheet, QWidget* parent,
                                          const CVantrelArchive& archive, const QString& title,
                                          int profileIndex = 0);
    // The same over the series of a site's history, titled after its first and last backup,
    // showing series `series` (the first when there is no such series).
    static CReadingsWindow* ShowForBackups(IPageHost& sheet, QWidget* parent, SiteHistory history,
                                           int series = 0);

    // The profile shown (archive index, or series index over several backups; -1 when there
    // is none) and the format.
    void SelectProfile(int index);
    int ProfileIndex() const { return profileIndex_; }
    void SetFormat(ExportFormat format);
    ExportFormat Format() const { return format_; }

    const ProfileSeries& Series() const { return series_; }
    // The chart on show; null in the empty state.
    chart::ReadingsChart* Chart() const { return chart_.get(); }
    // The widget that shows the chart (the chart fills it: a position on the chart is one
    // in the widget).
    QWidget* ChartView() const;
    bool IsShowingChart() const;
    // The empty state's text (what the user reads instead of a chart).
    QString EmptyText() const;

    // Writes the chart as shown to `path` (PNG or SVG by its extension). False after a
    // message when the name or the writing fails.
    bool SaveImage(const QString& path);
    // The chart as shown, in device pixels.
    QImage Picture() const;
    void CopyImage();
    void ResetZoom();
    // The tooltip for a point of the chart view (its own coordinates): the nearest
    // reading's depth, time and value; empty outside the plot area or without a chart.
    QString ToolTipAt(const QPoint& viewPosition) const;

private:
    static CReadingsWindow* ShowWindow(CReadingsWindow* window);
    void BuildControls();
    void FillProfilePicker();
    void ShowSeries();
    void OnSaveImage();
    void OnProfilePicked(int row);
    QString SuggestedImageName() const;

    IPageHost& sheet_;
    std::unique_ptr<ReadingsSource> source_;
    int profileIndex_ = -1;
    ExportFormat format_ = ExportFormat::Calibrated;
    ProfileSeries series_;
    std::unique_ptr<chart::ReadingsChart> chart_;

    QComboBox* profilePicker_ = nullptr;
    QRadioButton* calibratedButton_ = nullptr;
    QRadioButton* scaledButton_ = nullptr;
    QButtonGroup* formatGroup_ = nullptr;
    QStackedWidget* stack_ = nullptr;
    ReadingsChartView* chartView_ = nullptr;
    QLabel* emptyLabel_ = nullptr;
    QLabel* summaryLabel_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

}  // namespace vantrel::app
