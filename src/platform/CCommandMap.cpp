#include "CCommandMap.h"

void CCommandMap::On(CommandId id, Handler handler) {
    m_rows.push_back({id, id, [h = std::move(handler)](CommandId) { h(); }});
}

void CCommandMap::OnRange(CommandId first, CommandId last, RangeHandler handler) {
    m_rows.push_back({first, last, std::move(handler)});
}

const CCommandMap::Row* CCommandMap::Find(CommandId id) const {
    // The first row that takes the identifier wins, the way a message map is searched.
    for (const Row& row : m_rows)
        if (id >= row.first && id <= row.last)
            return &row;
    return nullptr;
}

bool CCommandMap::Dispatch(CommandId id) const {
    if (m_observer)
        m_observer(id);
    const Row* row = Find(id);
    if (!row || !row->handler)
        return false;
    row->handler(id);
    return true;
}

bool CCommandMap::Handles(CommandId id) const {
    return Find(id) != nullptr;
}
