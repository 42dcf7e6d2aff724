#include "report/read/csv_record.h"

#include <algorithm>

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

bool SplitCsvRecord(std::string_view record, size_t maxFields, std::vector<std::string>* fields) {
    size_t at = 0;
    while (true) {
        std::string field;
        if (at < record.size() && record[at] == '"') {
            for (at++;; at++) {
                if (at >= record.size()) {
                    return false;  // no closing quote
                }
                if (record[at] == '"') {
                    if (at + 1 < record.size() && record[at + 1] == '"') {
                        field += '"';
                        at++;
                        continue;
                    }
                    at++;
                    break;
                }
                field += record[at];
            }
            // Quoted only where it must be, as CsvField writes it.
            if ((at < record.size() && record[at] != ',') ||
                field.find_first_of(",\"\r\n") == std::string::npos) {
                return false;
            }
        } else {
            size_t end = std::min(record.find(',', at), record.size());
            field = std::string(record.substr(at, end - at));
            if (field.find('"') != std::string::npos) {
                return false;
            }
            at = end;
        }
        fields->push_back(field);
        if (fields->size() > maxFields) {
            return false;
        }
        if (at >= record.size()) {
            return true;
        }
        at++;  // past the comma
    }
}
