#pragma once
// Settings the host gives through environment variables of the form "NAME=value;NAME=value".
#include <QList>
#include <QPair>
#include <QString>

namespace platform {

// The trimmed name and value of every "name=value" entry of the variable; entries without a
// name are skipped.
inline QList<QPair<QString, QString>> environmentAssignments(const char* variable)
{
    QList<QPair<QString, QString>> out;
    for (const QString& entry : qEnvironmentVariable(variable).split(u';', Qt::SkipEmptyParts)) {
        const qsizetype eq = entry.indexOf(u'=');
        if (eq < 1) continue;
        const QString name = entry.left(eq).trimmed();
        if (!name.isEmpty()) out.append({name, entry.mid(eq + 1).trimmed()});
    }
    return out;
}

} // namespace platform
