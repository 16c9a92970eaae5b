// A scripted IP Helper table call that answers as the platform does: for no buffer or one too
// small, 122 and the size needed; otherwise the rows.
#pragma once
#include "traffic/ip_helper.h"

#include <cstddef>
#include <cstring>
#include <vector>

template <typename Table, typename Row>
DWORD AnswerTable(Table* table, PULONG size, const std::vector<Row>& rows) {
    const ULONG needed = static_cast<ULONG>(offsetof(Table, table) + rows.size() * sizeof(Row));
    if (!table || *size < needed) {
        *size = needed;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    table->dwNumEntries = static_cast<DWORD>(rows.size());
    if (!rows.empty())
        std::memcpy(table->table, rows.data(), rows.size() * sizeof(Row));
    return NO_ERROR;
}
