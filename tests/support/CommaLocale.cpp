#include "tests/support/CommaLocale.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <clocale>
#include <cstdlib>

namespace {

constexpr const char* kName = "de_DE.UTF-8";

bool CommaNow()
{
    return std::setlocale(LC_NUMERIC, kName) && std::localeconv()->decimal_point[0] == ',';
}

// Compiled once per test program into a folder the C library is then pointed at.
bool BuildLocale()
{
    static QTemporaryDir dir;
    static bool built = false;
    if (built) return true;
    const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
    if (!dir.isValid() || localedef.isEmpty()) return false;
    QProcess p;
    p.start(localedef, {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("UTF-8"),
                        dir.filePath(QString::fromLatin1(kName))});
    if (!p.waitForFinished(60000) || !QDir(dir.filePath(QString::fromLatin1(kName))).exists()) return false;
    setenv("LOCPATH", QFile::encodeName(dir.path()).constData(), 1);
    built = true;
    return true;
}

} // namespace

CommaLocale::CommaLocale()
{
    active_ = CommaNow() || (BuildLocale() && CommaNow());
}

CommaLocale::~CommaLocale()
{
    std::setlocale(LC_NUMERIC, "C");
}
