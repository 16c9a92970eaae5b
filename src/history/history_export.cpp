// The export rows and their CSV and JSON texts.
#include "history/history_export.h"
#include "log/calendar.h"

std::vector<TExportRow> DayRows(const std::vector<TDayTotal>& days, const TExportRange& range) {
    std::vector<TExportRow> rows;
    for (const TDayTotal& day : days) {
        if (day.Day >= range.FromDay && day.Day <= range.ToDay)
            rows.push_back({FormatIsoDate(day.Day), day.In, day.Out});
    }
    return rows;
}

std::vector<TExportRow> HourRows(const std::vector<THourRecord>& hours, const TExportRange& range,
                                 TUtcOffsetFunc zone) {
    std::vector<TExportRow> rows;
    for (const THourRecord& hour : hours) {
        const TLocalTime start = LocalTimeOf(int64_t{hour.Hour} * 3600, zone);
        int year = 0, month = 0, day = 0;
        if (!DecodeDate(start.DayNumber, year, month, day))
            continue; // past 9999-12-31 there is no date to write, as for days
        if (start.DayNumber >= range.FromDay && start.DayNumber <= range.ToDay)
            rows.push_back({IsoLocalDateTime(start), hour.In, hour.Out});
    }
    return rows;
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const std::string& field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            line += field;
            continue;
        }
        line += '"';
        for (char c : field) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            out += "\\u00";
            out += "0123456789abcdef"[u >> 4];
            out += "0123456789abcdef"[u & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string WriteExport(TExportFormat format, TExportPeriod period,
                        const std::vector<TExportRow>& rows) {
    const std::string when = period == TExportPeriod::Days ? "date" : "hour";
    std::string text;
    if (format == TExportFormat::Csv) {
        text = CsvLine({when, "bytes_in", "bytes_out"});
        for (const TExportRow& row : rows)
            text += CsvLine({row.When, std::to_string(row.In), std::to_string(row.Out)});
        return text;
    }
    text = "[";
    for (size_t i = 0; i < rows.size(); ++i) {
        text += i == 0 ? "\n" : ",\n";
        text += "  {" + JsonString(when) + ": " + JsonString(rows[i].When) +
                ", \"bytes_in\": " + std::to_string(rows[i].In) +
                ", \"bytes_out\": " + std::to_string(rows[i].Out) + "}";
    }
    return text + "\n]\n";
}
