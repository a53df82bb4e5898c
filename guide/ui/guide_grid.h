#pragma once
// The guide's grid: channels down, time across, a line at now. Painted by hand over a scroll area,
// so that only the cells on screen cost anything: the programmes of the rows on screen are asked
// of the guide when they first show, for the hours around what is on screen, and kept while the
// view stays near them. Vertical scrolling goes by rows, horizontal by pixels.
//
// Keyboard: Up and Down go to the programme at the same time on the channel above or below, Left and
// Right to the programme before or after, Page Up and Page Down by a screenful of channels, Home to
// now, Enter plays the channel; a double click plays too.

#include "guide_clock.h"

#include "guide/guide_types.h"

#include <QAbstractScrollArea>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace zentavo {

class GuideStore;

struct GuideGridChannel {
    std::string key; // the channel id of the lists
    QString caption;
};

class GuideGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 30;
    static constexpr int kChannelWidth = 170;
    static constexpr int kRulerHeight = 22;
    static constexpr int kPixelsPerHour = 240;
    static constexpr std::int64_t kDaysBefore = 1; // the guide keeps yesterday
    static constexpr std::int64_t kDaysAfter = 14;

    // The store must outlive the grid.
    GuideGrid(const GuideStore& store, GuideClock clock, QWidget* parent = nullptr);

    // Replaces the rows; the row of the channel selected before stays selected while it is among them.
    void SetChannels(std::vector<GuideGridChannel> channels);
    const std::vector<GuideGridChannel>& Channels() const { return channels_; }
    // Forgets the programmes asked for, after the guide changed.
    void Reload();

    // The selected row (-1: none) and the programme selected in it, if any.
    int CurrentRow() const { return currentRow_; }
    std::optional<GuideProgramme> CurrentProgramme() const;
    // Selects the row and the programme on at `at` in it, and scrolls both into view.
    void GoTo(int row, std::int64_t at);
    // Scrolls so that now is near the left edge, keeping the row.
    void ScrollToNow();

    // The time at the left edge of the programme area, and the rows on screen.
    std::int64_t LeftTime() const;
    int FirstShownRow() const;
    int ShownRowCount() const;

signals:
    // The selection moved (another row or programme).
    void CurrentChanged();
    void PlayRequested(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;

private:
    std::int64_t Origin() const { return origin_; }
    int XOf(std::int64_t at) const;
    std::int64_t TimeAtX(int x) const;
    const std::vector<GuideProgramme>& ProgrammesOf(int row) const;
    void KeepWindowAround(std::int64_t from, std::int64_t to) const;
    std::optional<std::size_t> ProgrammeAt(int row, std::int64_t at) const;
    void Select(int row, std::int64_t at);
    void SelectProgrammeStep(int step);
    void EnsureShown();
    void UpdateScrollBars();
    void PaintRuler(QPainter& painter, std::int64_t from, std::int64_t to) const;

    const GuideStore& store_;
    GuideClock clock_;
    std::int64_t origin_ = 0; // yesterday 0:00 local time: the left end of the grid
    std::vector<GuideGridChannel> channels_;
    int currentRow_ = -1;
    std::int64_t cursorTime_ = 0; // the time the selection stands at, kept when moving up and down
    // The programmes of rows asked for, for [windowFrom_, windowTo_).
    mutable std::unordered_map<int, std::vector<GuideProgramme>> programmes_;
    mutable std::int64_t windowFrom_ = 0, windowTo_ = 0;
    QTimer nowLine_; // moves the line at now along
    bool placed_ = false; // scrolled to now once the grid has its width
};

} // namespace zentavo
