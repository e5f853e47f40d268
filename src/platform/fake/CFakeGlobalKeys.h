#pragma once
// Global keys for tests: registrations are recorded; combinations listed in `takenByOthers`
// fail as if another program held them; a press is simulated with Press().
#include "IGlobalKeys.h"

#include <map>
#include <set>
#include <utility>

class CFakeGlobalKeys : public IGlobalKeys {
public:
    using Combination = std::pair<unsigned, unsigned>; // modifiers, virtual key

    bool RegisterHotKey(int id, unsigned modifiers, unsigned virtualKey) override {
        const Combination combination{modifiers, virtualKey};
        if (takenByOthers.count(combination) || registered.count(id))
            return false;
        for (const auto& [otherId, held] : registered)
            if (held == combination)
                return false;
        registered[id] = combination;
        return true;
    }
    bool UnregisterHotKey(int id) override { return registered.erase(id) == 1; }
    void SetHotKeyHandler(std::function<void(int)> handler) override {
        onHotKey = std::move(handler);
    }
    QString LayoutKeyName(unsigned virtualKey) const override {
        auto it = layoutNames.find(virtualKey);
        return it == layoutNames.end() ? QString() : it->second;
    }

    // Presses a combination: reaches the program only when it is registered.
    void Press(unsigned modifiers, unsigned virtualKey) {
        for (const auto& [id, held] : registered)
            if (held == Combination{modifiers, virtualKey} && onHotKey)
                onHotKey(id);
    }

    std::map<int, Combination> registered;
    std::set<Combination> takenByOthers;
    std::map<unsigned, QString> layoutNames;
    std::function<void(int)> onHotKey;
};
