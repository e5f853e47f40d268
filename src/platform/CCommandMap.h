#pragma once
// The table from command identifiers to handlers. A handler is bound to one identifier or to a
// contiguous range; a range handler receives the identifier and derives its choice from it.
// An identifier with no row does nothing.
#include "CommandIds.h"

#include <functional>
#include <vector>

class CCommandMap {
public:
    using Handler = std::function<void()>;
    using RangeHandler = std::function<void(CommandId)>;

    void On(CommandId id, Handler handler);
    void OnRange(CommandId first, CommandId last, RangeHandler handler);

    // Runs the handler bound to `id`; returns false when the identifier has none.
    bool Dispatch(CommandId id) const;
    // Sees every identifier before it is dispatched, handled or not (diagnostics and tests).
    void SetObserver(std::function<void(CommandId)> observer) { m_observer = std::move(observer); }
    bool Handles(CommandId id) const;

private:
    struct Row {
        CommandId first;
        CommandId last;
        RangeHandler handler;
    };
    const Row* Find(CommandId id) const;
    std::vector<Row> m_rows;
    std::function<void(CommandId)> m_observer;
};
