// Writes a collector's journal of Tolvane's reports as
// `journalctl -D /var/log/journal/remote -t tolvane -o short-iso` prints
// it: MACHINES laptops over DAYS days from 2026-01-01, their lines
// interleaved in time order, a "-- Boot ID --" line wherever the next line
// comes from another boot than the one before. Each machine has a daily
// pattern of its own (when it starts, how many sessions on battery, how
// fast it drains, how fast that grows with wear), reboots now and then and
// restarts its monitor more rarely; a few machines are seen on one day
// only. The same arguments always give the same file.
// Usage: make_fleet_journal [MACHINES [DAYS]] > FILE
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int64_t kFirstDay = 1767225600;  // 2026-01-01 00:00:00 UTC, a Thursday

struct Random {  // splitmix64: small, fast and the same everywhere
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<uint64_t>(high - low + 1)); }
    double Uniform(double low, double high) { return low + (high - low) * static_cast<double>(Next() >> 11) / 9007199254740992.0; }
};

struct Machine {
    Random random;
    int startMinute;      // of the day, when the laptop is taken up
    double drainPerHour;  // percent, when new
    double wear;          // how much faster it drains after a year
    int onlyDay = -1;     // a machine seen on this day only
    int charge = 100;
    int pid = 0;
    uint32_t boots = 0;  // which boot of this machine: "-- Boot" lines go by it
    char boot[33] = {};
    bool running = false;
};

struct Line {
    int64_t time;
    uint32_t machine;
    uint32_t order;  // keeps one machine's lines of one second in order
    uint32_t offset;
    uint32_t length;
};

class Day {
public:
    std::vector<Line> lines;
    std::string text;

    void Add(uint32_t index, int64_t time, const char* message) {
        char stamp[32];
        int64_t second = time % 86400;
        snprintf(stamp, sizeof stamp, "%s %02d:%02d:%02d", date_, static_cast<int>(second / 3600),
                 static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
        std::string formatted = message;
        for (size_t at; (at = formatted.find('@')) != std::string::npos;) formatted.replace(at, 1, stamp);
        lines.push_back({time, index, order_++, static_cast<uint32_t>(text.size()),
                         static_cast<uint32_t>(formatted.size())});
        text += formatted;
    }
    void Begin(int64_t day) {
        lines.clear();
        text.clear();
        order_ = 0;
        time_t t = static_cast<time_t>(day);
        struct tm civil;
        gmtime_r(&t, &civil);
        snprintf(date_, sizeof date_, "%02d/%02d/%02d", (civil.tm_mon + 1) % 100, civil.tm_mday % 100,
                 civil.tm_year % 100);
    }

private:
    char date_[16] = {};
    uint32_t order_ = 0;
};

const char* Flags(int charge) { return charge > 66 ? "High, " : charge < 5 ? "Low, Critical, " : charge < 33 ? "Low, " : ""; }

void Status(Day* day, const Machine& m, uint32_t index, int64_t time, bool battery, bool charging) {
    char message[128];
    snprintf(message, sizeof message, "@  Power source: %s Status: %s%s%d%%", battery ? "Battery " : "AC      ",
             Flags(m.charge), charging ? "Charging, " : "", m.charge);
    day->Add(index, time, message);
}

void Times(Day* day, Machine* m, uint32_t index, int64_t time, double perHour) {
    char message[80];
    double noise = m->random.Uniform(0.85, 1.15);
    snprintf(message, sizeof message, "Battery life remaining     : %d seconds.",
             static_cast<int>(m->charge * 3600.0 / perHour * noise));
    day->Add(index, time, message);
    snprintf(message, sizeof message, "Full battery life available: %d seconds.",
             static_cast<int>(100 * 3600.0 / perHour * noise));
    day->Add(index, time, message);
}

void NewRun(Day* day, Machine* m, uint32_t index, int64_t time, bool reboot) {
    if (reboot || !m->boot[0]) {
        for (int i = 0; i < 32; i++) m->boot[i] = "0123456789abcdef"[m->random.Next() % 16];
        m->boots++;
    }
    m->pid = m->random.Between(900, 65000);
    for (const char* line : {"", "Tolvane", "Console battery monitor; stop it with Ctrl+C.", "", "Beginning monitoring...", ""})
        day->Add(index, time, line);
    m->running = true;
}

// Charging on mains from `from` on until `until`, a report per percent.
int64_t Charge(Day* day, Machine* m, uint32_t index, int64_t from, int64_t until) {
    int64_t t = from;
    double step = 3600.0 / m->random.Uniform(30, 50);
    while (m->charge < 100 && t + step < until) {
        t += static_cast<int64_t>(step);
        m->charge++;
        Status(day, *m, index, t, false, m->charge < 100);
    }
    return t;
}

// One machine's day: taken up in the morning (after a reboot now and then),
// some sessions on battery with mains in between, charged full at the end.
void PlayDay(Day* day, Machine* m, uint32_t index, int dayNumber) {
    if (m->onlyDay >= 0 && m->onlyDay != dayNumber) return;
    int64_t midnight = kFirstDay + int64_t{dayNumber} * 86400;
    bool weekend = (dayNumber + 3) % 7 >= 5;
    int sessions = weekend ? (m->random.Between(0, 9) < 3 ? 1 : 0) : m->random.Between(1, 2);
    if (sessions == 0 && m->running) return;
    int64_t t = midnight + (m->startMinute + m->random.Between(-40, 40)) * 60;
    int dice = m->random.Between(0, 99);
    if (!m->running || dice < 15)
        NewRun(day, m, index, t, true);
    else if (dice < 18)
        NewRun(day, m, index, t, false);
    Status(day, *m, index, t, false, m->charge < 100);
    double perHour = m->drainPerHour * (1 + m->wear * dayNumber / 365.0);
    for (int s = 0; s < sessions && t < midnight + 19 * 3600; s++) {
        t += m->random.Between(10, 80) * 60;
        int64_t end = std::min(t + m->random.Between(40, 240) * 60, midnight + 22 * 3600);
        double rate = perHour * m->random.Uniform(0.8, 1.25);
        Status(day, *m, index, t, true, false);  // unplugged
        int64_t next = t + m->random.Between(10, 30);
        Status(day, *m, index, next, true, false);
        Times(day, m, index, next, rate);
        for (int steps = 1;; steps++) {
            next += static_cast<int64_t>(3600.0 / rate * m->random.Uniform(0.7, 1.3));
            if (next >= end || m->charge <= 6) break;
            bool jump = steps % 23 == 0 && m->charge > 7;
            m->charge -= jump ? 2 : 1;
            if (jump) day->Add(index, next, "*** Battery life has changed more than one percent ***");
            Status(day, *m, index, next, true, false);
            Times(day, m, index, next, rate);
        }
        t = std::min(end, next);
        Status(day, *m, index, t, false, true);  // plugged in
        t = Charge(day, m, index, t, t + m->random.Between(20, 90) * 60);
    }
    Charge(day, m, index, t, midnight + 86399);
}

void Print(const Day& day, const std::vector<Machine>& machines, std::string* out, int64_t* lastBoot) {
    char prefix[96];
    for (const Line& line : day.lines) {
        const Machine& m = machines[line.machine];
        int64_t boot = int64_t{line.machine} << 32 | m.boots;
        if (boot != *lastBoot) {
            *out += "-- Boot ";
            *out += m.boot;
            *out += " --\n";
            *lastBoot = boot;
        }
        time_t t = static_cast<time_t>(line.time);
        struct tm civil;
        gmtime_r(&t, &civil);
        snprintf(prefix, sizeof prefix, "%04d-%02d-%02dT%02d:%02d:%02d+0000 host-%03u tolvane[%d]: ",
                 civil.tm_year + 1900, civil.tm_mon + 1, civil.tm_mday, civil.tm_hour, civil.tm_min,
                 civil.tm_sec, line.machine, m.pid);
        *out += prefix;
        out->append(day.text, line.offset, line.length);
        *out += '\n';
        if (out->size() > (1 << 20)) {
            fwrite(out->data(), 1, out->size(), stdout);
            out->clear();
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? atoi(argv[1]) : 500;
    int days = argc > 2 ? atoi(argv[2]) : 365;
    if (argc > 3 || count < 1 || count > 99999 || days < 1 || days > 3650) {
        fprintf(stderr, "usage: make_fleet_journal [MACHINES [DAYS]] > FILE\n");
        return 2;
    }
    std::vector<Machine> machines(static_cast<size_t>(count));
    for (size_t i = 0; i < machines.size(); i++) {
        Machine& m = machines[i];
        m.random.state = 0x70c0ffee + i * 7919;
        m.startMinute = m.random.Between(7 * 60, 10 * 60);
        m.drainPerHour = m.random.Uniform(8, 22);
        m.wear = m.random.Uniform(0, 0.4);
        if (i % 97 == 13) m.onlyDay = static_cast<int>(i % static_cast<size_t>(days));
    }
    Day day;
    std::string out;
    int64_t lastBoot = -1;
    for (int d = 0; d < days; d++) {
        day.Begin(kFirstDay + int64_t{d} * 86400);
        // A machine's boot and process are the same all day: each day's
        // lines are printed before the next day changes them.
        for (size_t i = 0; i < machines.size(); i++) PlayDay(&day, &machines[i], static_cast<uint32_t>(i), d);
        std::sort(day.lines.begin(), day.lines.end(), [](const Line& a, const Line& b) {
            return a.time != b.time ? a.time < b.time : a.machine != b.machine ? a.machine < b.machine : a.order < b.order;
        });
        Print(day, machines, &out, &lastBoot);
    }
    fwrite(out.data(), 1, out.size(), stdout);
    return fflush(stdout) == 0 && !ferror(stdout) ? 0 : 1;
}
