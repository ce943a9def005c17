// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/readings/ReadingsWindow.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <system_error>

#include "app/common/ClosedComboList.h"
#include "app/common/PageHost.h"
#include "app/common/WindowFit.h"
#include "app/readings/ReadingsChartView.h"
#include "app/readings/ReadingsSource.h"
#include "base/PathText.h"
#include "chart/ChartImage.h"
#include "chart/ReadingsChart.h"
#include "chart/TimeAxis.h"
#include "chart/ValueAxis.h"
#include "data/AtomicFile.h"
#include "ops/AppSettings.h"

namespace vantrel::app {

using chart::ReadingsChart;

namespace {

constexpr const char* kWindowTitle = "Readings";
constexpr const char* kPngFilter = "PNG image (*.png)";
constexpr const char* kSvgFilter = "SVG image (*.svg)";
constexpr const char* kChooseImageName =
    "Please give the image a file name ending in .png or .svg.";
// Within this many pixels of a backup's mark the tooltip names the backup.
constexpr double kMarkReach = 4.0;

QString SummaryText(const ProfileSeries& series) {
    if (series.IsEmpty()) return {};
    QString text =
        QStringLiteral("%1 readings at %2 depths").arg(series.readings).arg(series.depths.size());
    if (series.unplottableValues > 0) {
        text += QStringLiteral("; %1 values cannot be drawn and leave gaps")
                    .arg(series.unplottableValues);
    }
    return text;
}

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(QString(caption).remove(u'&'));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CReadingsWindow::CReadingsWindow(IPageHost& sheet, CVantrelArchive archive,
                                 const QString& backupTitle, QWidget* parent, int profileIndex)
    : CReadingsWindow(sheet, BackupReadings(std::move(archive), backupTitle), parent,
                      profileIndex) {}

CReadingsWindow::CReadingsWindow(IPageHost& sheet, std::unique_ptr<ReadingsSource> source,
                                 QWidget* parent, int entry)
    : QDialog(parent), sheet_(sheet), source_(std::move(source)) {
    setObjectName("readingsWindow");
    const QString title = source_->Title();
    setWindowTitle(title.isEmpty() ? QString(kWindowTitle)
                                   : QStringLiteral("%1 - %2").arg(kWindowTitle, title));
    // A window of its own, which the user may enlarge and keep beside the sheet.
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);
    BuildControls();
    FillProfilePicker();
    const bool known = entry >= 0 && entry < source_->Count();
    SelectProfile(known ? entry : (source_->Count() > 0 ? 0 : -1));
}

CReadingsWindow::~CReadingsWindow() = default;

CReadingsWindow* CReadingsWindow::ShowForBackup(IPageHost& sheet, QWidget* parent,
                                                const CVantrelArchive& archive,
                                                const QString& title, int profileIndex) {
    return ShowWindow(new CReadingsWindow(sheet, archive, title, parent, profileIndex));
}

CReadingsWindow* CReadingsWindow::ShowForBackups(IPageHost& sheet, QWidget* parent,
                                                 SiteHistory history, int series) {
    return ShowWindow(
        new CReadingsWindow(sheet, HistoryReadings(std::move(history)), parent, series));
}

CReadingsWindow* CReadingsWindow::ShowWindow(CReadingsWindow* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CReadingsWindow::BuildControls() {
    auto* pickerLabel = new QLabel(QStringLiteral("&Profile:"), this);
    pickerLabel->setObjectName("profilePickerLabel");
    profilePicker_ = new QComboBox(this);
    profilePicker_->setObjectName("profilePicker");
    profilePicker_->setAccessibleName(QStringLiteral("Profile:"));
    profilePicker_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    KeepClosedListUnseen(profilePicker_);
    pickerLabel->setBuddy(profilePicker_);

    calibratedButton_ = new QRadioButton(
        QString::fromUtf8(ExportFormatCaption(ExportFormat::Calibrated).data()), this);
    calibratedButton_->setObjectName("formatCalibrated");
    calibratedButton_->setAccessibleName(calibratedButton_->text());
    calibratedButton_->setChecked(true);
    scaledButton_ =
        new QRadioButton(QString::fromUtf8(ExportFormatCaption(ExportFormat::Scaled).data()), this);
    scaledButton_->setObjectName("formatScaled");
    scaledButton_->setAccessibleName(scaledButton_->text());
    formatGroup_ = new QButtonGroup(this);
    formatGroup_->setObjectName("formatGroup");
    formatGroup_->addButton(calibratedButton_, static_cast<int>(ExportFormat::Calibrated));
    formatGroup_->addButton(scaledButton_, static_cast<int>(ExportFormat::Scaled));

    chartView_ =
        new ReadingsChartView([this](const QPoint& position) { return ToolTipAt(position); }, this);
    chartView_->setObjectName("readingsChart");
    chartView_->setAccessibleName(QStringLiteral("Readings chart"));
    emptyLabel_ = new QLabel(this);
    emptyLabel_->setObjectName("emptyState");
    emptyLabel_->setAlignment(Qt::AlignCenter);
    emptyLabel_->setWordWrap(true);
    emptyLabel_->setTextFormat(Qt::PlainText);
    stack_ = new QStackedWidget(this);
    stack_->setObjectName("readingsStack");
    stack_->addWidget(chartView_);
    stack_->addWidget(emptyLabel_);

    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName("readingsSummary");
    summaryLabel_->setTextFormat(Qt::PlainText);
    // A long summary wraps instead of widening the window past a small screen.
    summaryLabel_->setWordWrap(true);
    resetButton_ = MakeButton(QStringLiteral("&Reset"), "resetZoomButton", this);
    resetButton_->setToolTip(QStringLiteral("Show the whole profile again"));
    copyButton_ = MakeButton(QStringLiteral("&Copy"), "copyImageButton", this);
    saveButton_ = MakeButton(QStringLiteral("&Save Image..."), "saveImageButton", this);
    closeButton_ = MakeButton(QStringLiteral("C&lose"), "closeReadingsButton", this);

    auto* top = new QHBoxLayout;
    top->addWidget(pickerLabel);
    top->addWidget(profilePicker_, 1);
    // The formats on a row of their own: beside the profile they would not fit a small
    // screen at scale 2.
    auto* formats = new QHBoxLayout;
    formats->addWidget(calibratedButton_);
    formats->addWidget(scaledButton_);
    formats->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(summaryLabel_, 1);
    bottom->addWidget(resetButton_);
    bottom->addWidget(copyButton_);
    bottom->addWidget(saveButton_);
    bottom->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(formats);
    layout->addWidget(stack_, 1);
    layout->addLayout(bottom);

    // Room for a readable chart of many depths: about 160 by 44 characters.
    const QFontMetrics metrics = fontMetrics();
    FitToScreen(this, {metrics.averageCharWidth() * 160, metrics.height() * 44});
    stack_->setMinimumSize(metrics.averageCharWidth() * 50, metrics.height() * 14);

    connect(profilePicker_, &QComboBox::currentIndexChanged, this,
            &CReadingsWindow::OnProfilePicked);
    connect(formatGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { SetFormat(static_cast<ExportFormat>(id)); });
    connect(resetButton_, &QPushButton::clicked, this, &CReadingsWindow::ResetZoom);
    connect(copyButton_, &QPushButton::clicked, this, &CReadingsWindow::CopyImage);
    connect(saveButton_, &QPushButton::clicked, this, &CReadingsWindow::OnSaveImage);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    setTabOrder(profilePicker_, calibratedButton_);
    setTabOrder(calibratedButton_, scaledButton_);
    setTabOrder(scaledButton_, chartView_);
    setTabOrder(chartView_, resetButton_);
    setTabOrder(resetButton_, copyButton_);
    setTabOrder(copyButton_, saveButton_);
    setTabOrder(saveButton_, closeButton_);
}

void CReadingsWindow::FillProfilePicker() {
    const QSignalBlocker block(profilePicker_);
    profilePicker_->clear();
    for (int i = 0; i < source_->Count(); ++i) profilePicker_->addItem(source_->EntryText(i), i);
}

void CReadingsWindow::OnProfilePicked(int row) {
    if (row < 0) return;
    const int index = profilePicker_->itemData(row).toInt();
    if (index != profileIndex_) SelectProfile(index);
}

void CReadingsWindow::SelectProfile(int index) {
    profileIndex_ = index >= 0 && index < source_->Count() ? index : -1;
    if (profileIndex_ >= 0) {
        const QSignalBlocker block(profilePicker_);
        profilePicker_->setCurrentIndex(profilePicker_->findData(profileIndex_));
    }
    ShowSeries();
}

void CReadingsWindow::SetFormat(ExportFormat format) {
    (format == ExportFormat::Scaled ? scaledButton_ : calibratedButton_)->setChecked(true);
    if (format == format_) return;
    format_ = format;
    ShowSeries();
}

void CReadingsWindow::ShowSeries() {
    chartView_->SetChart(nullptr);
    chart_.reset();
    if (profileIndex_ < 0) {
        series_ = ProfileSeries{};
        series_.emptyReason = source_->NoEntriesText().toStdString();
    } else {
        series_ = source_->Build(profileIndex_, format_);
    }
    if (series_.IsEmpty()) {
        QString hint = QStringLiteral("Choose another profile above.");
        if (series_.gap == SeriesGap::NothingPlottable) {
            hint = QStringLiteral("Choose another profile above, or the other readings.");
        }
        emptyLabel_->setText(QString::fromStdString(series_.emptyReason) + QStringLiteral("\n\n") +
                             hint);
        emptyLabel_->setAccessibleName(emptyLabel_->text());
        stack_->setCurrentWidget(emptyLabel_);
    } else {
        chart_ = std::make_unique<ReadingsChart>(series_, source_->ChartTitle(series_),
                                                 chartView_->font());
        chart_->SetMarks(source_->Marks(profileIndex_));
        stack_->setCurrentWidget(chartView_);
        chartView_->SetChart(chart_.get());
    }
    QString summary = SummaryText(series_);
    if (const QString note = profileIndex_ >= 0 ? source_->SummaryNote(profileIndex_) : QString();
        !note.isEmpty() && !summary.isEmpty()) {
        summary += QStringLiteral(" ") + note;
    }
    summaryLabel_->setText(summary);
    const bool drawn = !series_.IsEmpty();
    resetButton_->setEnabled(drawn);
    copyButton_->setEnabled(drawn);
    saveButton_->setEnabled(drawn);
}

QWidget* CReadingsWindow::ChartView() const {
    return chartView_;
}

bool CReadingsWindow::IsShowingChart() const {
    return chart_ != nullptr && stack_->currentWidget() == chartView_;
}

QString CReadingsWindow::EmptyText() const {
    return series_.IsEmpty() ? emptyLabel_->text() : QString();
}

void CReadingsWindow::ResetZoom() {
    chartView_->ResetZoom();
}

QImage CReadingsWindow::Picture() const {
    if (chart_ == nullptr) return {};
    return chart::RenderChart(*chart_, chartView_->devicePixelRatioF());
}

void CReadingsWindow::CopyImage() {
    const QImage image = Picture();
    if (!image.isNull()) QApplication::clipboard()->setImage(image);
}

bool CReadingsWindow::SaveImage(const QString& path) {
    if (chart_ == nullptr) return false;
    const std::optional<chart::ImageKind> kind = chart::ImageKindOf(path);
    if (!kind) {
        sheet_.Prompt().Show(kChooseImageName);
        return false;
    }
    // A PNG has the pixels of the screen (twice as many at scale 2); an SVG the chart's size.
    const QByteArray bytes =
        chart::RenderChartImage(*chart_, *kind, chartView_->devicePixelRatioF());
    try {
        WriteFileAtomically(PathFromUtf8(path.toStdString()),
                            std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const std::system_error& error) {
        sheet_.Prompt().Show(QStringLiteral("Could not save the image %1: %2")
                                 .arg(QDir::toNativeSeparators(path),
                                      QString::fromLocal8Bit(error.code().message().c_str()))
                                 .toStdString(),
                             {}, PromptButtons::OK, PromptIcon::Exclamation);
        return false;
    }
    return true;
}

QString CReadingsWindow::SuggestedImageName() const {
    QString name = source_->Title().isEmpty() ? QStringLiteral("readings") : source_->Title();
    return name + QStringLiteral(" (Pro%1).png").arg(series_.profileNo, 2, 10, QLatin1Char('0'));
}

void CReadingsWindow::OnSaveImage() {
    if (chart_ == nullptr) return;
    QFileDialog browser(this, QStringLiteral("Save Image"));
    browser.setObjectName("imageBrowser");
    browser.setAcceptMode(QFileDialog::AcceptSave);
    browser.setFileMode(QFileDialog::AnyFile);
    browser.setNameFilters({kPngFilter, kSvgFilter});
    browser.setDefaultSuffix(QStringLiteral("png"));
    connect(&browser, &QFileDialog::filterSelected, &browser, [&browser](const QString& filter) {
        browser.setDefaultSuffix(filter == kSvgFilter ? QStringLiteral("svg")
                                                      : QStringLiteral("png"));
    });
    const QString folder =
        QString::fromStdString(ReadExportFolder(sheet_.Settings(), sheet_.Folders()));
    if (!folder.isEmpty()) browser.setDirectory(folder);
    browser.selectFile(SuggestedImageName());
    if (browser.exec() != QDialog::Accepted) return;
    const QStringList chosen = browser.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return;
    SaveImage(chosen.front());
}

QString CReadingsWindow::ToolTipAt(const QPoint& viewPosition) const {
    if (chart_ == nullptr) return {};
    const QRectF area = chart_->PlotArea();
    if (!area.contains(QPointF(viewPosition)) || area.width() <= 0 || area.height() <= 0) {
        return {};
    }
    if (const ReadingsChart::Mark* mark = chart_->MarkNear(QPointF(viewPosition), kMarkReach)) {
        return mark->toolTip;
    }
    const ReadingsChart::Range time = chart_->TimeRange();
    const ReadingsChart::Range value = chart_->ValueRange();
    const double minDays = chart::DaysOfChartTime(time.min);
    const double maxDays = chart::DaysOfChartTime(time.max);
    const QPointF at = chart_->MapToValue(QPointF(viewPosition));
    const double days = chart::DaysOfChartTime(at.x());
    const std::optional<NearestReading> nearest = FindNearestReading(
        series_, days, at.y(), (maxDays - minDays) / area.width(), value.Span() / area.height());
    if (!nearest) return {};
    QString text = QStringLiteral("%1\n%2\n%3")
                       .arg(QString::fromStdString(series_.depths[nearest->depth].label),
                            chart::ReadingTimeText(nearest->point.days),
                            chart::ValueText(nearest->point.value));
    if (const QString note = source_->ReadingNote(series_, nearest->point); !note.isEmpty()) {
        text += QStringLiteral("\n") + note;
    }
    return text;
}

}  // namespace vantrel::app
