#include "CHotKeyAtoms.h"

quint16 CHotKeyAtoms::Add(const QString& name) {
    if (Count() >= m_capacity || Count() >= 0x4000)
        return 0;
    while (m_names.count(m_next))
        m_next = m_next == 0xFFFF ? kFirst : static_cast<quint16>(m_next + 1);
    const quint16 atom = m_next;
    m_names[atom] = name;
    m_next = m_next == 0xFFFF ? kFirst : static_cast<quint16>(m_next + 1);
    return atom;
}

void CHotKeyAtoms::Delete(quint16 atom) {
    m_names.erase(atom);
}

QString CHotKeyAtoms::NameOf(quint16 atom) const {
    auto it = m_names.find(atom);
    return it == m_names.end() ? QString() : it->second;
}
