// What a started window reports to the start benchmark: milestones in milliseconds since the
// parent started the process (the parent's monotonic clock, passed in BENCH_ORIGIN_MS), and, at
// the first paint of the window, one line on stdout with those and the resident memory; then the
// process ends.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

namespace zemlo::bench {

inline double now_ms() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

inline long resident_kb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

struct Marks {
    Marks() {
        const char *origin_text = std::getenv("BENCH_ORIGIN_MS");
        origin = origin_text != nullptr ? std::strtod(origin_text, nullptr) : now_ms();
    }
    void mark(const char *what) {
        char buf[64];
        std::snprintf(buf, sizeof buf, " %s=%.1f", what, now_ms() - origin);
        text += buf;
    }
    double origin = 0;
    std::string text;
};

// Ends the process once the window's first paint pass has finished: the pass paints the window
// and all its children in one go, so an event posted ahead of everything else waiting (work the
// program itself has queued for after the first paint) runs just after it.
class FirstPaint : public QObject {
  public:
    FirstPaint(QWidget *window, Marks &marks) : window_(window), marks_(marks) {
        QApplication::instance()->installEventFilter(this);
    }
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!seen_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == window_) {
            seen_ = true;
            QCoreApplication::postEvent(this, new QEvent(kPainted), Qt::HighEventPriority);
        }
        return false;
    }
    bool event(QEvent *event) override {
        if (event->type() != kPainted) {
            return QObject::event(event);
        }
        marks_.mark("painted");
        std::printf("%s rss_kb=%ld\n", marks_.text.c_str(), resident_kb());
        std::fflush(stdout);
        std::_Exit(0);
    }

  private:
    static constexpr QEvent::Type kPainted = QEvent::User;
    QWidget *window_;
    Marks &marks_;
    bool seen_ = false;
};

}  // namespace zemlo::bench
