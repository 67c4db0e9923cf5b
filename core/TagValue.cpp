#include "core/LibraryDatabase.h"

#include "core/TextLines.h"

#include <QVarLengthArray>

QVariant GetTagValue(const QString& text, const QString& key, int occurrence)
{
    // Same rule as the loader: "<key>" only at the start of a line, "</key>"
    // only at the end of one; the lines between are joined without a separator.
    const QString open = u'<' + key + u'>';
    const QString close = QStringLiteral("</") + key + u'>';
    QVarLengthArray<QStringView, 32> lines;
    dbfile::LineReader reader(text);
    QStringView line;
    while (reader.Next(line)) lines.append(line);

    qsizetype li = 0;
    for (int occ = 0; occ <= occurrence; ++occ) {
        while (li < lines.size() && !lines[li].startsWith(open)) ++li;
        if (li == lines.size()) return QVariant();
        const qsizetype start = open.size();
        qsizetype lj = li;
        auto closes = [&](qsizetype j) {
            const qsizetype from = j == li ? start : 0;
            return lines[j].size() - from >= close.size() && lines[j].endsWith(close);
        };
        while (lj < lines.size() && !closes(lj)) ++lj;
        if (lj == lines.size()) return QVariant();
        if (occ == occurrence) {
            if (lj == li) return lines[li].sliced(start, lines[li].size() - start - close.size()).toString();
            QString value = lines[li].sliced(start).toString();
            for (qsizetype m = li + 1; m < lj; ++m) value += lines[m];
            value += lines[lj].chopped(close.size());
            return value;
        }
        li = lj + 1;
    }
    return QVariant();
}
