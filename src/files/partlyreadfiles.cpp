#include "partlyreadfiles.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Files are told apart by where they really are, whatever path named them.
QString identity(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

bool sameBytes(const QString &a, const QString &b)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly)
        || first.size() != second.size())
        return false;
    return first.readAll() == second.readAll();
}

constexpr int MostCopies = 999;

} // namespace

void PartlyReadFiles::noteRead(const QString &path, bool complete)
{
    if (complete)
        m_files.remove(identity(path));
    else if (QFileInfo(path).isFile())
        m_files.insert(identity(path));
}

QString PartlyReadFiles::keepBeforeReplacing(const QString &path, QString *copy)
{
    const QString file = identity(path);
    if (!m_files.contains(file) || !QFileInfo(file).isFile())
        return {};
    const QString target = CopyPathFor(file);
    if (target.isEmpty())
        return QStringLiteral("%1 was not read completely when it was opened, and there is no "
                              "free name beside it to keep it under.")
            .arg(path);
    if (!QFileInfo::exists(target)) {
        QFile original(file);
        if (!original.copy(target))
            return QStringLiteral("%1 was not read completely when it was opened, and it could "
                                  "not be kept as %2: %3")
                .arg(path, target, original.errorString());
    }
    *copy = target;
    return {};
}

void PartlyReadFiles::replaced(const QString &path)
{
    m_files.remove(identity(path));
}

QString PartlyReadFiles::CopyPathFor(const QString &path)
{
    for (int n = 1; n <= MostCopies; ++n) {
        const QString candidate =
            n == 1 ? path + QStringLiteral(".bak") : path + QStringLiteral(".%1.bak").arg(n);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
        if (QFileInfo(candidate).isFile() && sameBytes(path, candidate))
            return candidate;
    }
    return {};
}
