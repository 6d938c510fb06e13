#pragma once

#include <QSet>
#include <QString>

// Schedule files that were not read completely hold more than the window
// shows: the records from the one that stopped the reading on. Before the
// first save replaces such a file, the file as it was is copied beside it,
// so what was not read is not lost with it.
class PartlyReadFiles
{
public:
    // Notes how the file at `path` was read; a complete read clears an
    // earlier note.
    void noteRead(const QString &path, bool complete);

    // Run before a save replaces the file at `path`. When that file was not
    // read completely, it is copied beside it (see CopyPathFor) and
    // `*copy` names the copy. Gives the reason the save must not go on
    // (no copy could be made), empty when it may.
    QString keepBeforeReplacing(const QString &path, QString *copy);

    // The file at `path` has been replaced: nothing of it is left to keep.
    void replaced(const QString &path);

    // Where the file at `path` is kept: "NAME.bak" beside it. A "NAME.bak"
    // that holds something else is never replaced; the next free name of
    // "NAME.2.bak", "NAME.3.bak" ... is taken then. A copy already there
    // with the same bytes is used as it is. Empty when there is no name left.
    static QString CopyPathFor(const QString &path);

private:
    QSet<QString> m_files;
};
