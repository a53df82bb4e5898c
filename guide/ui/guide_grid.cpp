#include "guide_grid.h"

#include "programme_text.h"

#include "guide/guide_store.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>

namespace zentavo {

namespace {
// Hours asked for on each side of what is on screen, so that scrolling a little asks nothing.
constexpr std::int64_t kMarginSeconds = 6 * 3600;
// A bound on the rows kept while the user scrolls a long guide.
constexpr std::size_t kMostRowsKept = 600;

std::int64_t StartOfYesterday(std::int64_t now)
{
    const QDateTime today(QDateTime::fromSecsSinceEpoch(now).date().startOfDay());
    return today.addDays(-1).toSecsSinceEpoch();
}
} // namespace

GuideGrid::GuideGrid(const GuideStore& store, GuideClock clock, QWidget* parent)
    : QAbstractScrollArea(parent), store_(store), clock_(std::move(clock)), origin_(StartOfYesterday(clock_()))
{
    setObjectName(QStringLiteral("GuideGrid"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(kPixelsPerHour / 4);
    verticalScrollBar()->setSingleStep(1);
    cursorTime_ = clock_();
    connect(&nowLine_, &QTimer::timeout, viewport(), qOverload<>(&QWidget::update));
    nowLine_.start(std::chrono::seconds(30));
    UpdateScrollBars();
}

void GuideGrid::SetChannels(std::vector<GuideGridChannel> channels)
{
    const std::string selectedKey =
        currentRow_ >= 0 ? channels_.at(static_cast<std::size_t>(currentRow_)).key : std::string();
    channels_ = std::move(channels);
    programmes_.clear();
    currentRow_ = -1;
    if (!selectedKey.empty()) {
        const auto found = std::find_if(channels_.begin(), channels_.end(),
                                        [&](const GuideGridChannel& channel) { return channel.key == selectedKey; });
        if (found != channels_.end())
            currentRow_ = static_cast<int>(found - channels_.begin());
    }
    if (currentRow_ < 0 && !channels_.empty())
        currentRow_ = 0;
    UpdateScrollBars();
    EnsureShown();
    viewport()->update();
    emit CurrentChanged();
}

void GuideGrid::Reload()
{
    programmes_.clear();
    viewport()->update();
    emit CurrentChanged();
}

int GuideGrid::XOf(std::int64_t at) const
{
    const std::int64_t x = (at - origin_) * kPixelsPerHour / 3600;
    return static_cast<int>(std::clamp<std::int64_t>(x, -1'000'000, 1'000'000'000)) - horizontalScrollBar()->value()
        + kChannelWidth;
}

std::int64_t GuideGrid::TimeAtX(int x) const
{
    return origin_
        + static_cast<std::int64_t>(x - kChannelWidth + horizontalScrollBar()->value()) * 3600 / kPixelsPerHour;
}

std::int64_t GuideGrid::LeftTime() const
{
    return TimeAtX(kChannelWidth);
}

int GuideGrid::FirstShownRow() const
{
    return verticalScrollBar()->value();
}

int GuideGrid::ShownRowCount() const
{
    return std::max(1, (viewport()->height() - kRulerHeight) / kRowHeight);
}

void GuideGrid::KeepWindowAround(std::int64_t from, std::int64_t to) const
{
    if (from >= windowFrom_ && to <= windowTo_)
        return;
    programmes_.clear();
    windowFrom_ = from - kMarginSeconds;
    windowTo_ = to + kMarginSeconds;
}

const std::vector<GuideProgramme>& GuideGrid::ProgrammesOf(int row) const
{
    auto found = programmes_.find(row);
    if (found == programmes_.end()) {
        const std::string& key = channels_.at(static_cast<std::size_t>(row)).key;
        found = programmes_.emplace(row, store_.Programmes(key, windowFrom_, windowTo_)).first;
    }
    return found->second;
}

std::optional<std::size_t> GuideGrid::ProgrammeAt(int row, std::int64_t at) const
{
    KeepWindowAround(at, at);
    const std::vector<GuideProgramme>& programmes = ProgrammesOf(row);
    for (std::size_t i = 0; i < programmes.size(); ++i) {
        if (programmes[i].start <= at && at < programmes[i].stop)
            return i;
    }
    return std::nullopt;
}

std::optional<GuideProgramme> GuideGrid::CurrentProgramme() const
{
    if (currentRow_ < 0)
        return std::nullopt;
    const std::optional<std::size_t> index = ProgrammeAt(currentRow_, cursorTime_);
    if (!index)
        return std::nullopt;
    return ProgrammesOf(currentRow_).at(*index);
}

void GuideGrid::GoTo(int row, std::int64_t at)
{
    if (row < 0 || row >= static_cast<int>(channels_.size()))
        return;
    Select(row, at);
}

void GuideGrid::ScrollToNow()
{
    const std::int64_t now = clock_();
    horizontalScrollBar()->setValue(static_cast<int>((now - origin_) * kPixelsPerHour / 3600 - kPixelsPerHour / 2));
    cursorTime_ = now;
    viewport()->update();
    emit CurrentChanged();
}

void GuideGrid::Select(int row, std::int64_t at)
{
    currentRow_ = std::clamp(row, 0, static_cast<int>(channels_.size()) - 1);
    cursorTime_ = std::clamp(at, origin_, origin_ + (kDaysBefore + kDaysAfter + 1) * 86400 - 1);
    EnsureShown();
    viewport()->update();
    emit CurrentChanged();
}

void GuideGrid::SelectProgrammeStep(int step)
{
    if (currentRow_ < 0)
        return;
    // Windows are asked around the time that is wanted, so a step off the screen finds its programme.
    const std::int64_t reach = 12 * 3600;
    KeepWindowAround(cursorTime_ - reach, cursorTime_ + reach);
    const std::vector<GuideProgramme>& programmes = ProgrammesOf(currentRow_);
    std::optional<std::int64_t> target;
    if (step > 0) {
        for (const GuideProgramme& programme : programmes) {
            if (programme.start > cursorTime_) {
                target = programme.start;
                break;
            }
        }
    } else {
        const std::optional<std::size_t> at = ProgrammeAt(currentRow_, cursorTime_);
        const std::int64_t before = at ? programmes[*at].start : cursorTime_;
        for (auto it = programmes.rbegin(); it != programmes.rend(); ++it) {
            if (it->start < before) {
                target = it->start;
                break;
            }
        }
    }
    // Where the channel has no programme there, the selection moves by half an hour.
    Select(currentRow_, target ? *target : cursorTime_ + step * 1800);
}

void GuideGrid::EnsureShown()
{
    if (currentRow_ < 0)
        return;
    QScrollBar* rows = verticalScrollBar();
    if (currentRow_ < rows->value())
        rows->setValue(currentRow_);
    else if (currentRow_ >= rows->value() + ShownRowCount())
        rows->setValue(currentRow_ - ShownRowCount() + 1);
    const int areaWidth = viewport()->width() - kChannelWidth;
    const int x = static_cast<int>((cursorTime_ - origin_) * kPixelsPerHour / 3600);
    QScrollBar* time = horizontalScrollBar();
    if (x < time->value() || x >= time->value() + areaWidth)
        time->setValue(x - std::max(areaWidth / 4, 0));
}

void GuideGrid::UpdateScrollBars()
{
    const int rows = static_cast<int>(channels_.size());
    verticalScrollBar()->setRange(0, std::max(0, rows - ShownRowCount()));
    verticalScrollBar()->setPageStep(ShownRowCount());
    const int areaWidth = std::max(0, viewport()->width() - kChannelWidth);
    const int width = static_cast<int>((kDaysBefore + kDaysAfter + 1) * 24 * kPixelsPerHour);
    horizontalScrollBar()->setRange(0, std::max(0, width - areaWidth));
    horizontalScrollBar()->setPageStep(std::max(areaWidth, 1));
}

void GuideGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    if (!placed_ && viewport()->width() > kChannelWidth) {
        // The first time the grid has its width: now a quarter of the way in.
        placed_ = true;
        const int areaWidth = viewport()->width() - kChannelWidth;
        horizontalScrollBar()->setValue(static_cast<int>((clock_() - origin_) * kPixelsPerHour / 3600) - areaWidth / 4);
    }
}

void GuideGrid::scrollContentsBy(int, int)
{
    viewport()->update();
}

void GuideGrid::PaintRuler(QPainter& painter, std::int64_t from, std::int64_t to) const
{
    const QPalette& colours = palette();
    painter.fillRect(QRect(0, 0, viewport()->width(), kRulerHeight), colours.color(QPalette::Button));
    painter.setPen(colours.color(QPalette::ButtonText));
    const std::int64_t halfHour = 1800;
    for (std::int64_t at = (from - origin_) / halfHour * halfHour + origin_; at < to; at += halfHour) {
        const int x = XOf(at);
        if (x < kChannelWidth)
            continue;
        painter.drawLine(x, kRulerHeight - 5, x, kRulerHeight - 1);
        const QDateTime local = QDateTime::fromSecsSinceEpoch(at);
        QString label = ClockTime(at);
        if (local.time().hour() == 0 && local.time().minute() == 0)
            label = QLocale().toString(local.date(), QStringLiteral("ddd d MMM"));
        painter.drawText(QRect(x + 3, 0, kPixelsPerHour / 2 - 4, kRulerHeight - 4), Qt::AlignVCenter | Qt::AlignLeft,
                         label);
    }
    painter.drawText(
        QRect(4, 0, kChannelWidth - 8, kRulerHeight), Qt::AlignVCenter | Qt::AlignLeft,
        QLocale().toString(QDateTime::fromSecsSinceEpoch(std::max(from, origin_)).date(), QLocale::ShortFormat));
}

void GuideGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& colours = palette();
    const QRect area = viewport()->rect();
    painter.fillRect(area, colours.color(QPalette::Base));
    const std::int64_t from = TimeAtX(kChannelWidth);
    const std::int64_t to = TimeAtX(area.width()) + 1;
    if (programmes_.size() > kMostRowsKept)
        programmes_.clear();
    KeepWindowAround(from, to);

    const int first = FirstShownRow();
    const int last = std::min(static_cast<int>(channels_.size()), first + ShownRowCount() + 1);
    const QColor grid = colours.color(QPalette::Mid);
    const std::int64_t now = clock_();
    for (int row = first; row < last; ++row) {
        const int y = kRulerHeight + (row - first) * kRowHeight;
        const bool currentRow = row == currentRow_;
        painter.setClipRect(QRect(kChannelWidth, y, area.width() - kChannelWidth, kRowHeight));
        const std::vector<GuideProgramme>& programmes = ProgrammesOf(row);
        for (const GuideProgramme& programme : programmes) {
            if (programme.stop <= from || programme.start >= to)
                continue;
            const int left = std::max(XOf(programme.start), kChannelWidth - 1);
            const int right = std::min(XOf(programme.stop), area.width() + 1);
            const QRect cell(left, y, right - left, kRowHeight);
            const bool selected = currentRow && programme.start <= cursorTime_ && cursorTime_ < programme.stop;
            const bool onNow = programme.start <= now && now < programme.stop;
            QColor fill = colours.color(onNow ? QPalette::AlternateBase : QPalette::Base);
            if (selected)
                fill = colours.color(hasFocus() ? QPalette::Highlight : QPalette::Mid);
            painter.fillRect(cell.adjusted(0, 0, -1, -1), fill);
            painter.setPen(grid);
            painter.drawRect(cell.adjusted(0, 0, -1, -1));
            painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
            // The title stays readable while the programme's start is scrolled off to the left.
            painter.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                             QString::fromStdString(programme.title));
        }
        if (programmes.empty()) {
            painter.setPen(colours.color(QPalette::PlaceholderText));
            painter.drawText(QRect(kChannelWidth + 6, y, area.width(), kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                             QStringLiteral("No guide"));
        }
        painter.setClipping(false);
        const QRect name(0, y, kChannelWidth, kRowHeight);
        painter.fillRect(name, colours.color(currentRow ? QPalette::Highlight : QPalette::Window));
        painter.setPen(colours.color(currentRow ? QPalette::HighlightedText : QPalette::WindowText));
        painter.drawText(name.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(channels_[static_cast<std::size_t>(row)].caption,
                                                          Qt::ElideRight, kChannelWidth - 10));
        painter.setPen(grid);
        painter.drawLine(0, y + kRowHeight - 1, kChannelWidth, y + kRowHeight - 1);
    }
    PaintRuler(painter, from, to);
    const int nowX = XOf(now);
    if (nowX >= kChannelWidth && nowX < area.width()) {
        painter.setPen(QPen(QColor(220, 30, 30), 2));
        painter.drawLine(nowX, 0, nowX, area.height());
    }
}

void GuideGrid::keyPressEvent(QKeyEvent* event)
{
    if (channels_.empty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int row = std::max(currentRow_, 0);
    switch (event->key()) {
    case Qt::Key_Up:
        Select(row - 1, cursorTime_);
        break;
    case Qt::Key_Down:
        Select(row + 1, cursorTime_);
        break;
    case Qt::Key_PageUp:
        Select(row - ShownRowCount(), cursorTime_);
        break;
    case Qt::Key_PageDown:
        Select(row + ShownRowCount(), cursorTime_);
        break;
    case Qt::Key_Left:
        SelectProgrammeStep(-1);
        break;
    case Qt::Key_Right:
        SelectProgrammeStep(1);
        break;
    case Qt::Key_Home:
        Select(row, clock_());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentRow_ >= 0)
            emit PlayRequested(currentRow_);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void GuideGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (at.y() < kRulerHeight)
        return;
    const int row = FirstShownRow() + (at.y() - kRulerHeight) / kRowHeight;
    if (row >= static_cast<int>(channels_.size()))
        return;
    Select(row, at.x() < kChannelWidth ? cursorTime_ : TimeAtX(at.x()));
}

void GuideGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    mousePressEvent(event);
    if (currentRow_ >= 0)
        emit PlayRequested(currentRow_);
}

bool GuideGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QPoint at = help->pos();
        const int row = FirstShownRow() + (at.y() - kRulerHeight) / kRowHeight;
        if (at.y() >= kRulerHeight && at.x() >= kChannelWidth && row < static_cast<int>(channels_.size())) {
            const std::int64_t time = TimeAtX(at.x());
            if (const std::optional<std::size_t> index = ProgrammeAt(row, time)) {
                const GuideProgramme& programme = ProgrammesOf(row).at(*index);
                QToolTip::showText(
                    help->globalPos(),
                    ProgrammeTimes(programme) + QLatin1Char(' ') + QString::fromStdString(programme.title), viewport());
                return true;
            }
        }
        QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace zentavo
