#pragma once
#include <QString>
#include <map>

// Registration identifiers made from strings, the way the shortcut registrations have always
// been named. Identifiers come from 0xC000–0xFFFF and are handed out in turn, so a freed one
// comes back only after all the others: an identifier held by a stale message matches nothing.
class CHotKeyAtoms {
public:
    static constexpr quint16 kFirst = 0xC000;

    explicit CHotKeyAtoms(int capacity = 0x4000) : m_capacity(capacity) {}
    // 0 when the table is full.
    quint16 Add(const QString& name);
    void Delete(quint16 atom);
    QString NameOf(quint16 atom) const;
    int Count() const { return static_cast<int>(m_names.size()); }

private:
    int m_capacity;
    quint16 m_next = kFirst;
    std::map<quint16, QString> m_names;
};
