#pragma once
// A guide for the window tests: a few channels of the lists matched to a generated XMLTV guide,
// read into a store in a temporary folder, and a clock that stands at a chosen time and runs on
// with the real one (so a test can stand a second before a programme ends).

#include "guide/guide_reading.h"
#include "guide/guide_store.h"
#include "guide/ui/guide_clock.h"
#include "tests/guide/xmltv_samples.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

namespace zentavo::test {

struct GuideFixture {
    // 2026-12-11 12:00:00 UTC, a whole hour: programmes below start and end around it.
    static constexpr std::int64_t kNoon = 1'796'990'400;

    QTemporaryDir folder;
    GuidePaths paths;
    std::unique_ptr<GuideStore> store;
    std::int64_t clockStart = kNoon;
    QElapsedTimer running;

    // The lists' channels c1 ("One"), c2 ("Two") and c3 ("Three", no guide channel matches it);
    // the guide has one.tv, two.tv and spare.tv. `body` holds the programmes.
    explicit GuideFixture(const std::string& programmes)
    {
        paths = {std::filesystem::path(folder.filePath(QStringLiteral("guide.sqlite")).toStdString()),
                 std::filesystem::path(folder.filePath(QStringLiteral("choices.sqlite")).toStdString())};
        const std::string xmltv = Guide(Channel("one.tv", {"One"}) + Channel("two.tv", {"Two"})
                                        + Channel("spare.tv", {"Spare Channel"}) + programmes);
        FillGuideFromXmltv(xmltv, ListChannels(), paths, kNoon);
        store = std::make_unique<GuideStore>(paths);
        running.start();
    }

    static std::vector<GuideListChannel> ListChannels()
    {
        return {{"c1", "one.tv", "", "One", 0}, {"c2", "two.tv", "", "Two", 0}, {"c3", "", "", "Three", 0}};
    }

    // Stands at `at` from now on, and runs on with the real time.
    void SetClock(std::int64_t at)
    {
        clockStart = at;
        running.restart();
    }

    GuideClock Clock()
    {
        return [this] { return clockStart + running.elapsed() / 1000; };
    }
};

} // namespace zentavo::test
