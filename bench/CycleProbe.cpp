// SPDX-License-Identifier: GPL-3.0-or-later
// Lets the program measure an instrument on a given port (the simulator's pseudo-terminal) and reports
// how long each measurement cycle takes beyond its 100 ms answer pause, and how much CPU the process
// uses while measuring, as a share of one core. The program's own timers drive the cycles; the probe
// only watches the events that start them.
// Usage: kx207-cycle-probe <port> [seconds, default 60] [--big: the large window shown as well]
#include "ProbeWindows.h"
#include "app/MainFrm.h"
#include "ui/Application.h"

#include <QCheckBox>
#include <QSlider>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double AnswerPauseMs = 100;
// Time for the version query and a few cycles, so that the exposure has settled before the count starts.
constexpr int SettleMs = 5000;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Times the delivery of every tick of the measurement timer, which runs one whole cycle.
class ProbeApplication : public TApplication {
public:
    using TApplication::TApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        if (!IsMeasurementTick(receiver, event)) return TApplication::notify(receiver, event);
        const Clock::time_point start = Clock::now();
        const bool handled = TApplication::notify(receiver, event);
        cycleMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        return handled;
    }

    std::vector<double> cycleMs;

private:
    // Once the version is read, the only timer of that period that runs is the measurement timer. Its
    // timer object is the wrapper's own, so it is recognised by its period while the wrapper is on.
    static bool IsMeasurementTick(QObject* receiver, QEvent* event) {
        if (event->type() != QEvent::Timer || !MainForm) return false;
        const auto* timer = qobject_cast<QTimer*>(receiver);
        return timer && timer->interval() == MainForm->Messung_Timer->Interval() &&
               MainForm->Messung_Timer->Enabled() && !MainForm->VersionsTimer->Enabled();
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kx207-cycle-probe <port> [seconds] [--big]\n");
        return 2;
    }
    const std::string port = argv[1];
    const int seconds = argc > 2 && std::strcmp(argv[2], "--big") != 0 ? std::atoi(argv[2]) : 60;
    const bool big = std::strcmp(argv[argc - 1], "--big") == 0;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    ProbeApplication application(qtArgc, argv);
    const ProbeWindows windows(port);
    // A well-exposed spectrum, kept so by the program's own exposure control.
    MainForm->TrackBar->setValue(50);
    MainForm->Auto_CheckBox->setChecked(true);
    if (big) MainForm->GroesSpektrogramm1Click();

    double cpuStart = 0;
    Clock::time_point wallStart;
    QTimer::singleShot(SettleMs, [&] {
        application.cycleMs.clear();
        cpuStart = CpuSeconds();
        wallStart = Clock::now();
        QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    });
    application.exec();
    const double cpu = CpuSeconds() - cpuStart;
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();

    std::vector<double> beyondPause;
    for (const double ms : application.cycleMs)
        beyondPause.push_back(ms - AnswerPauseMs);
    if (beyondPause.empty()) {
        std::fprintf(stderr, "kx207-cycle-probe: no measurement cycle ran; is the instrument on %s?\n",
                     port.c_str());
        return 1;
    }
    std::printf("%zu cycles, time beyond the 100 ms pause: median %.2f ms, least %.2f ms, most %.2f ms\n",
                beyondPause.size(), Median(beyondPause),
                *std::min_element(beyondPause.begin(), beyondPause.end()),
                *std::max_element(beyondPause.begin(), beyondPause.end()));
    std::printf("CPU %.2f %% of one core over %.1f s (%.3f s used)\n", 100 * cpu / wall, wall, cpu);
    return 0;
}
