// libFuzzer target over tolvane-report's reading of a log: the input is
// one log file, fed whole and then in small pieces whose lengths are taken
// from the data itself. Both must give the same sessions, byte for byte as
// CSV; besides the sanitizers' findings, a session with a negative, NaN or
// infinite figure is a crash.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "report/figures/machine_log.h"
#include "report/output/csv_output.h"
#include "report/read/log_parser.h"
#include "report/read/text_decoder.h"

namespace {

// Names what failed before the crash, with the session where there is one.
#define CHECK(condition, session)                                                   \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "failed: %s\n%s\n", #condition, (session).c_str());     \
            __builtin_trap();                                                       \
        }                                                                           \
    } while (0)

bool Sound(const std::optional<double>& figure, double lowest) {
    return !figure || (isfinite(*figure) && *figure >= lowest);
}

// Every figure of a session sound.
void Check(const Session& session, const std::string& line) {
    CHECK(session.seconds >= 0, line);
    CHECK(session.asleepSeconds >= 0 && session.asleepSeconds <= session.seconds, line);
    CHECK(session.end.elapsed >= session.start.elapsed, line);
    CHECK(Sound(session.percentPerHour, 0), line);
    CHECK(Sound(session.fullRuntimeSeconds, 0), line);
    // A remaining time shown is never below nothing: -100 % at worst.
    CHECK(Sound(session.estimateErrorPercent, -100), line);
}

// The one place that knows how the reader's stages fit together: bytes in,
// sessions out as CSV. `pieces` null: the data in one go; otherwise the
// length of each piece is 1 to 32 bytes, read in turn from `pieces`.
std::string ReadLog(const uint8_t* data, size_t size, const uint8_t* pieces) {
    char* csvText = nullptr;
    size_t csvSize = 0;
    FILE* out = open_memstream(&csvText, &csvSize);
    CHECK(out != nullptr, std::string("open_memstream"));
    std::string lines;
    {
        CsvWriter csv(out, CsvTable::Sessions);
        MachineLogs logs(&csv);
        LogParser parser(DateRange(), {}, &logs);
        LineSplitter splitter(&parser);
        TextDecoder decoder(&splitter);
        const char* text = reinterpret_cast<const char*>(data);
        for (size_t at = 0, turn = 0; at < size; turn++) {
            size_t piece = pieces ? 1 + pieces[turn % size] % 32 : size;
            piece = piece < size - at ? piece : size - at;
            decoder.Feed(text + at, piece);
            at += piece;
        }
        decoder.EndOfFile();
        parser.Finish();
        for (const MachineLog* machine : logs.Machines()) {
            for (const Session& session : machine->Summary().Sessions()) {
                Check(session, CsvLine(session, machine->Host()));
            }
            // The rest of the day: a charge's rate above nothing, no
            // stretch of a day below nothing.
            for (const Charge& charge : machine->Charges().Latest()) {
                CHECK(Sound(charge.percentPerHour, 0) && charge.seconds >= 0, CsvLine(charge, ""));
            }
            for (const auto& [first, day] : machine->Usage().Days()) {
                CHECK(day.battery >= 0 && day.asleep >= 0 && day.mains >= 0 && day.unlogged >= 0,
                      CsvLine(day, ""));
            }
        }
        fclose(out);
        lines.assign(csvText, csvSize);
    }
    free(csvText);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string whole = ReadLog(data, size, nullptr);
    std::string pieces = ReadLog(data, size, data);
    CHECK(pieces == whole, "whole:\n" + whole + "in pieces:\n" + pieces);
    return 0;
}
