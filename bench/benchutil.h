#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

// Tiny helpers shared by the benchmark programs: best-of timing and a ratio report.
namespace Bench {

inline volatile long long sink = 0;
inline void keep(long long v) {
    sink = sink + v;
}

// The fastest of `runs` timings, in milliseconds: the least disturbed by the rest of the machine.
inline double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        const double ms = t.nsecsElapsed() / 1e6;
        if (ms < best)
            best = ms;
    }
    return best;
}

// A figure of this process's memory from /proc/self/status ("VmRSS", "VmHWM"), in megabytes; 0 where
// the system has none.
inline double memoryMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field) && line.size() > qsizetype(std::strlen(field)) &&
            line[qsizetype(std::strlen(field))] == ':')
            return line.mid(qsizetype(std::strlen(field)) + 1).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// Starts the peak (VmHWM) again from the memory held now.
inline void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

class Report {
public:
    explicit Report(const char* name) { std::printf("== %s\n", name); }
    // Prints one figure; a ratio above its bar is marked, and the program then exits with 1.
    void ratio(const char* what, double ms, double baselineMs, double bar, const char* unit = "ms") {
        const double r = baselineMs > 0 ? ms / baselineMs : 0;
        std::printf("%-68s %9.1f %s / %9.1f %s = %5.2fx (bar %.1fx) %s\n", what, ms, unit, baselineMs, unit,
                    r, bar, r <= bar ? "ok" : "OVER");
        std::fflush(stdout);
        over_ = over_ || r > bar;
    }
    // Prints a ratio for information only: a baseline that does not do the same kind of work.
    void ratioShown(const char* what, double ms, double baselineMs) {
        std::printf("%-68s %9.1f ms / %9.1f ms = %5.2fx (not judged)\n", what, ms, baselineMs,
                    baselineMs > 0 ? ms / baselineMs : 0);
        std::fflush(stdout);
    }
    // Prints one time that must stay within an absolute bound (a freeze the player would feel).
    void within(const char* what, double ms, double boundMs) {
        std::printf("%-68s %9.1f ms (bound %.0f ms) %s\n", what, ms, boundMs, ms <= boundMs ? "ok" : "OVER");
        std::fflush(stdout);
        over_ = over_ || ms > boundMs;
    }
    void value(const char* what, double v, const char* unit) {
        std::printf("%-68s %9.1f %s\n", what, v, unit);
        std::fflush(stdout);
    }
    [[nodiscard]] int exitCode() const { return over_ ? 1 : 0; }

private:
    bool over_ = false;
};

// The longest single stretch the interface thread spent in one event between two turns of the loop:
// what a player feels as a freeze. Installed as an event filter on the application.
class FreezeMeter : public QObject {
public:
    double worstMs = 0;
    bool eventFilter(QObject*, QEvent*) override {
        worstMs = std::max(worstMs, clock_.nsecsElapsed() / 1e6);
        clock_.restart();
        return false;
    }
    void start() {
        worstMs = 0;
        clock_.start();
    }

private:
    QElapsedTimer clock_;
};

} // namespace Bench
