// SPDX-License-Identifier: GPL-3.0-or-later
// The repeating timer the watchdog and the measuring cycle run on.
#include "ui/Timer.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(Timer, EnablingARunningTimerKeepsItsPeriod) {
    qint64 firedAt = -1;
    QElapsedTimer clock;
    TTimer timer(1000, [&] { firedAt = firedAt < 0 ? clock.elapsed() : firedAt; });
    EXPECT_FALSE(timer.Enabled());
    clock.start();
    timer.SetEnabled(true);
    QTest::qWait(300);
    const qint64 enabledAgainAt = clock.elapsed();
    timer.SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return firedAt >= 0; }, 5000));
    // Restarted, it could fire no sooner than a full period after the second enabling.
    EXPECT_LT(firedAt, enabledAgainAt + 1000) << "enabled again at " << enabledAgainAt;
    EXPECT_GE(firedAt, 1000);

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
}

} // namespace
