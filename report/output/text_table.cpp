#include "report/output/text_table.h"

size_t Characters(const std::string& text) {
    size_t count = 0;
    for (char c : text) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }
    return count;
}

std::string CutTo(const std::string& text, size_t width) {
    if (Characters(text) <= width) {
        return text;
    }
    size_t at = 0;
    for (size_t kept = 0; at < text.size(); at++) {
        bool starts = (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80;
        if (starts && kept == width - 1) {
            break;
        }
        kept += starts;
    }
    return text.substr(0, at) + "\xE2\x80\xA6";
}

std::vector<int> FitWidths(const Table& table, std::vector<int> widths) {
    auto fit = [&](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size() && i < widths.size(); i++) {
            int size = static_cast<int>(Characters(cells[i]));
            if (size > (widths[i] < 0 ? -widths[i] : widths[i])) {
                widths[i] = widths[i] < 0 ? -size : size;
            }
        }
    };
    fit(table.header);
    for (const std::vector<std::string>& cells : table.rows) {
        fit(cells);
    }
    return widths;
}

void WriteTable(FILE* out, const Table& table, const std::vector<int>& given,
                const std::vector<int>& gaps) {
    const std::vector<int> widths = FitWidths(table, given);
    auto row = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (size_t i = 0; i < cells.size(); i++) {
            std::string cell = cells[i].empty() ? "-" : cells[i];
            size_t width = static_cast<size_t>(widths[i] < 0 ? -widths[i] : widths[i]);
            size_t shown = Characters(cell);
            std::string pad(shown < width ? width - shown : 0, ' ');
            line += std::string(i == 0 ? 0 : static_cast<size_t>(gaps[i]), ' ') +
                    (widths[i] < 0 ? cell + pad : pad + cell);
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        fprintf(out, "%s\n", line.c_str());
    };
    row(table.header);
    for (const std::vector<std::string>& cells : table.rows) {
        row(cells);
    }
}
