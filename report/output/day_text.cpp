// The terminal summary's sections on the rest of a machine's day.
#include "report/output/day_tables.h"
#include "report/output/text_output.h"
#include "report/output/text_table.h"

namespace {

const size_t kRows = 14;

// "(the latest 14 of 31; --format=csv --table=sleeps lists them all)"
void WriteLatest(FILE* out, size_t shown, int64_t count, const char* table) {
    if (count > static_cast<int64_t>(shown)) {
        fprintf(out, "(the latest %zu of %lld; --format=csv --table=%s lists them all)\n", shown,
                static_cast<long long>(count), table);
    }
}

}  // namespace

void WriteDayText(FILE* out, const MachineLog& machine) {
    const SleepLog& sleeps = machine.Sleeps();
    if (sleeps.Count() > 0) {
        fprintf(out, "\n%s\n", SleepLine(sleeps, machine.Summary()).c_str());
        Table table = SleepTable(sleeps, kRows);
        WriteTable(out, table, {-16, -11, 7, 4, 4, 6, -4}, {0, 1, 1, 1, 1, 2, 2});
        WriteLatest(out, table.rows.size(), sleeps.Count(), "sleeps");
        fprintf(out,
                "%%/h: the drain asleep; <: the charge fell less than a point, so less than that;\n"
                "fast: 10 minutes or more at over 2 %%/h.\n");
    }
    const ChargeLog& charges = machine.Charges();
    if (charges.Count() > 0) {
        fprintf(out, "\n%s\n", ChargeLine(charges).c_str());
        Table table = ChargeTable(charges, kRows);
        WriteTable(out, table, {-16, -11, 7, 4, 4, 5, 7, -5}, {0, 1, 1, 1, 1, 2, 2, 2});
        WriteLatest(out, table.rows.size(), charges.Count(), "charges");
        fprintf(out,
                "%%/h: the rate from 20 to 80 %% (or over the part of it named); 20-80%%: how\n"
                "long that took; Ended: full, unplugged, held (below full for half an hour or\n"
                "more: a charge limit), or cut (the log or run ended).\n");
    }
    bool byWeek = UsageByWeek(machine.Summary(), machine.Usage());
    Table usage = UsageTable(machine.Usage(), byWeek, kRows);
    if (!usage.rows.empty()) {
        fprintf(out, "\nUse by %s:\n", byWeek ? "week" : "day");
        WriteTable(out, usage, {-10, 10, 7, 8, 10}, {0, 1, 2, 2, 2});
    }
}
