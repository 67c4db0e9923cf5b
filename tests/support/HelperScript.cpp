#include "tests/support/HelperScript.h"

#include "tests/support/AudioFixtures.h"

#include <QFile>

namespace {

QByteArray Quoted(const QString& text)
{
    return "'" + QFile::encodeName(text).replace("'", "'\\''") + "'";
}

} // namespace

bool WriteHelperScript(const QString& path, const QByteArray& body)
{
    return WriteRawFile(path, "#!/bin/sh\n" + body + "\n") &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool WriteGatedHelper(const QString& path, const QString& pidFile, const QString& gate, const QString& realHelper)
{
    return WriteHelperScript(path, "echo $$ >" + Quoted(pidFile) + "\nwhile [ ! -e " + Quoted(gate) +
                                       " ]; do sleep 0.01; done\nexec " + Quoted(realHelper) + " \"$@\"");
}
