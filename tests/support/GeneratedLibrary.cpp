#include "tests/support/GeneratedLibrary.h"

#include "core/Genres.h"

#include <QDateTime>
#include <QStringList>

#include <random>
#include <vector>

namespace {

QString Word(std::mt19937& rng)
{
    static const char* const syllables[] = {"ka", "lo", "ve", "mi", "ra", "to", "be", "at", "son", "da",
                                            "ne", "ri", "mo", "tu", "el", "ha", "gi", "pa", "lu", "ze"};
    QString w;
    const int n = 2 + int(rng() % 3);
    for (int i = 0; i < n; ++i) w += QLatin1String(syllables[rng() % 20]);
    w[0] = w[0].toUpper();
    return w;
}

QString Words(std::mt19937& rng, int count)
{
    QStringList words;
    for (int i = 0; i < count; ++i) words << Word(rng);
    return words.join(u' ');
}

} // namespace

LibraryDatabase MakeGeneratedLibrary(int titles, bool datesAsText)
{
    std::mt19937 rng(7);
    std::vector<QString> artists, albums;
    for (int i = 0; i < 5000; ++i) artists.push_back(Words(rng, 1 + int(rng() % 2)));
    for (int i = 0; i < 10000; ++i) albums.push_back(Words(rng, 1 + int(rng() % 3)));
    LibraryDatabase db;
    db.Files.reserve(titles);
    for (int i = 0; i < titles; ++i) {
        LibraryEntry e;
        e.Tags.Title = Words(rng, 2 + int(rng() % 4));
        e.Tags.Artist = artists[rng() % artists.size()];
        e.Tags.Album = albums[rng() % albums.size()];
        e.Tags.Genre = GetGenreName(int(rng() % 126));
        e.Tags.Year = QString::number(1960 + rng() % 50);
        e.Tags.Track = QString::number(1 + rng() % 20);
        e.Tags.Lenght = int(120 + rng() % 300);
        e.Tags.Bitrate = int16_t(128 + 32 * (rng() % 6));
        e.FileName = QStringLiteral("/home/user/Musik/%1/%2.mp3").arg(e.Tags.Artist, e.Tags.Title);
        e.Rating = int16_t(rng() % 6);
        e.PlayCNT = int(rng() % 50);
        const QDateTime added(QDate(2000 + int(rng() % 12), 1 + int(rng() % 12), 1 + int(rng() % 28)),
                              QTime(int(rng() % 24), int(rng() % 60), int(rng() % 60)));
        e.AddTime = datesAsText ? QVariant(added.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"))) : QVariant(added);
        e.PlayTime = QStringLiteral("(noch nie)");
        db.Files.append(e);
    }
    return db;
}
