#include "report/output/html_table.h"

#include "report/output/html_page.h"

Table Escaped(Table table) {
    for (std::string& cell : table.header) {
        cell = EscapeHtml(cell);
    }
    for (std::vector<std::string>& row : table.rows) {
        for (std::string& cell : row) {
            cell = cell.empty() ? "&ndash;" : EscapeHtml(cell);
        }
    }
    return table;
}

std::string HtmlTable(const char* id, const Table& table) {
    std::string html = std::string("<table id=\"") + id + "\"><thead><tr>";
    for (const std::string& cell : table.header) {
        html += "<th>" + cell + "</th>";
    }
    html += "</tr></thead><tbody>\n";
    for (const std::vector<std::string>& row : table.rows) {
        html += "<tr>";
        for (const std::string& cell : row) {
            html += "<td>" + cell + "</td>";
        }
        html += "</tr>\n";
    }
    return html + "</tbody></table>";
}
