#include "platform/AutoRun.h"

#include "core/Runtime.h"
#include "core/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>

#include <unistd.h>

namespace {

QString QuoteArgument(const QString& arg)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : arg) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') out += u'\\';
        out += c;
    }
    out += u'"';
    return out;
}

// The string escapes of entry values; applied after the quoting, as readers
// undo them before they unquote.
QString EscapeValue(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': out += QStringLiteral("\\\\"); break;
        case u'\n': out += QStringLiteral("\\n"); break;
        case u'\t': out += QStringLiteral("\\t"); break;
        case u'\r': out += QStringLiteral("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

bool IsEnvAssignment(const QString& arg)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    return re.match(arg).hasMatch();
}

// The program the command runs: the first argument, or for env the first
// argument after its variable assignments.
QString ProgramOf(const QStringList& command)
{
    if (command.isEmpty()) return {};
    if (command.first() != QStringLiteral("env")) return command.first();
    for (qsizetype i = 1; i < command.size(); ++i)
        if (!IsEnvAssignment(command[i])) return command[i];
    return {};
}

} // namespace

QString AutoRunFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg + QStringLiteral("/autostart");
    return QDir::homePath() + QStringLiteral("/.config/autostart");
}

QString AutoRunEntryPath(const QString& name)
{
    return AutoRunFolder() + u'/' + name + QStringLiteral(".desktop");
}

QStringList AutoRunCommand()
{
    QStringList command;
    if (!qEnvironmentVariableIsEmpty("SAROVIN_HOME"))
        command << QStringLiteral("env") << QStringLiteral("SAROVIN_HOME=") + DataFolder();
    command << QCoreApplication::applicationFilePath() << QStringLiteral("/AutoRun");
    return command;
}

QString DesktopExecValue(const QStringList& arguments)
{
    QStringList quoted;
    for (const QString& arg : arguments) quoted << QuoteArgument(arg).replace(u'%', QStringLiteral("%%"));
    return EscapeValue(quoted.join(u' '));
}

bool SetAutoRun(const QString& name, const QStringList& command, QString* reason)
{
    const auto fail = [reason](int error) {
        if (reason) *reason = SystemErrorText(error);
        return false;
    };
    const QString program = ProgramOf(command);
    if (program.isEmpty() || program.contains(u'=')) return fail(EINVAL);
    // A folder that cannot be made fails the write below, with its reason.
    QDir().mkpath(AutoRunFolder());
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=%1\n"
                                         "Exec=%2\n"
                                         "Terminal=false\n")
                              .arg(EscapeValue(name), DesktopExecValue(command));
    const QString failure = WriteWholeFile(AutoRunEntryPath(name), entry.toUtf8());
    if (reason) *reason = failure;
    return failure.isEmpty();
}

bool RemoveAutoRun(const QString& name, QString* reason)
{
    if (reason) reason->clear();
    // A link goes, not what it leads to; one leading nowhere goes too.
    if (::unlink(QFile::encodeName(AutoRunEntryPath(name)).constData()) == 0 || errno == ENOENT) return true;
    if (reason) *reason = SystemErrorText(errno);
    return false;
}
