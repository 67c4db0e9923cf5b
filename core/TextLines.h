// Splitting a text into its lines: CR LF, a lone LF and a lone CR all end a
// line, so no value read from the library file ever holds a line break.
#pragma once

#include <QStringView>

#include <cstddef>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dbfile {

// The lines of a text. A final line end does not start another line.
// (GetTagValue's form; the loader reads bytes, below.)
class LineReader {
public:
    explicit LineReader(QStringView text) : text_(text) {}

    bool Next(QStringView& line)
    {
        const qsizetype size = text_.size();
        if (pos_ >= size) return false;
        const QChar* data = text_.data();
        qsizetype end = pos_;
        while (end < size && data[end] != u'\n' && data[end] != u'\r') ++end;
        line = text_.sliced(pos_, end - pos_);
        pos_ = end;
        if (pos_ < size) {
            if (data[pos_] == u'\r' && pos_ + 1 < size && data[pos_ + 1] == u'\n') ++pos_;
            ++pos_;
        }
        return true;
    }

private:
    QStringView text_;
    qsizetype pos_ = 0;
};

// The loader works on the UTF-8 bytes of Files.db and decodes only the values
// it keeps: line ends and tags are ASCII, so they never occur inside the bytes
// of another character.
using Bytes = std::string_view;

class ByteLines {
public:
    explicit ByteLines(Bytes text) : text_(text) {}

    bool Next(Bytes& line)
    {
        if (pos_ >= text_.size()) return false;
        const char* base = text_.data() + pos_;
        const size_t rest = text_.size() - pos_;
        const size_t len = LineLength(base, rest);
        size_t step = len;
        if (len < rest) step += base[len] == '\r' && len + 1 < rest && base[len + 1] == '\n' ? 2 : 1;
        pos_ += step;
        line = Bytes(base, len);
        return true;
    }

private:
    // Bytes before the first CR or LF.
    static size_t LineLength(const char* p, size_t n)
    {
        size_t i = 0;
#if defined(__SSE2__)
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        for (; i + 16 <= n; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
            if (mask) return i + size_t(__builtin_ctz(unsigned(mask)));
        }
#endif
        for (; i < n; ++i)
            if (p[i] == '\r' || p[i] == '\n') return i;
        return n;
    }

    Bytes text_;
    size_t pos_ = 0;
};

} // namespace dbfile
