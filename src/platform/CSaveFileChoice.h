#pragma once
// What the Save As dialog gave back: the name the user typed and the file type chosen beside it,
// and the name the file is then written under.
#include <QString>
#include <QStringList>

struct CSaveFileChoice {
    QString path;    // empty: the dialog was cancelled
    int filter = -1; // the chosen entry of the dialog's filters

    bool IsCancelled() const { return path.isEmpty(); }

    // The extension a "Name(*.ext)" filter stands for, without the dot; empty when it names none.
    static QString ExtensionOf(const QString& filter);

    // The name the file gets. An extension the filters list (or `alsoKnown` lists), in any case,
    // is kept as typed: it says what the user wants. A name without an extension, or with one
    // the list does not know ("notes.v2"), gets the chosen type's extension appended, so the
    // file is what the dialog's type said it would be. A chosen entry outside the list counts as
    // the first.
    QString FinalPath(const QStringList& filters, const QStringList& alsoKnown = {}) const;
};
