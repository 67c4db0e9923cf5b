#include "sound/AudioCheck.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace snd {

namespace {

// The demuxers that swallow trailing tags into the last packet.
bool TakesTagsAsAudio(const char* demuxer)
{
    return std::strcmp(demuxer, "mpc") == 0 || std::strcmp(demuxer, "mpc8") == 0 || std::strcmp(demuxer, "ape") == 0;
}

class PacketReader {
public:
    ~PacketReader()
    {
        av_packet_free(&packet_);
        avformat_close_input(&format_);
    }
    bool Open(const std::string& path)
    {
        if (avformat_open_input(&format_, path.c_str(), nullptr, nullptr) < 0) return false;
        // Most containers name their streams in the header; probing decodes frames and costs time.
        if (FindAudio() < 0 && avformat_find_stream_info(format_, nullptr) < 0) return false;
        stream_ = FindAudio();
        packet_ = av_packet_alloc();
        return stream_ >= 0 && packet_;
    }
    const char* Demuxer() const { return format_->iformat->name; }
    // The next audio packet: 1, 0 at the end, -1 on a read error.
    int Next()
    {
        av_packet_unref(packet_);
        for (;;) {
            const int r = av_read_frame(format_, packet_);
            if (r == AVERROR_EOF) return 0;
            if (r < 0) return -1;
            if (packet_->stream_index == stream_) return 1;
            av_packet_unref(packet_);
        }
    }
    const AVPacket& Packet() const { return *packet_; }

private:
    int FindAudio() const
    {
        for (unsigned i = 0; i < format_->nb_streams; ++i)
            if (format_->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) return int(i);
        return -1;
    }

    AVFormatContext* format_ = nullptr;
    AVPacket* packet_ = nullptr;
    int stream_ = -1;
};

AudioMatch ComparePackets(PacketReader& original, PacketReader& copy)
{
    for (long count = 0;; ++count) {
        const int a = original.Next();
        if (a < 0) return AudioMatch::Unreadable;
        const int b = copy.Next();
        if (a == 0) return b != 0 ? AudioMatch::Differs : count > 0 ? AudioMatch::Same : AudioMatch::Unreadable;
        if (b <= 0) return AudioMatch::Differs;
        const AVPacket &p = original.Packet(), &q = copy.Packet();
        if (p.size != q.size || (p.size > 0 && std::memcmp(p.data, q.data, size_t(p.size)) != 0))
            return AudioMatch::Differs;
    }
}

class RawFile {
public:
    explicit RawFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~RawFile()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    std::optional<int64_t> Size() const
    {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) return std::nullopt;
        return st.st_size;
    }
    bool Read(int64_t at, void* into, size_t n) const
    {
        for (size_t done = 0; done < n;) {
            const ssize_t r = ::pread(fd_, static_cast<char*>(into) + done, n - done, off_t(at + int64_t(done)));
            if (r <= 0) return false;
            done += size_t(r);
        }
        return true;
    }

private:
    int fd_;
};

uint32_t Le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Where the audio ends: before an ID3v1 block and an APE tag at the end.
std::optional<int64_t> AudioEnd(const RawFile& file)
{
    const std::optional<int64_t> size = file.Size();
    if (!size) return std::nullopt;
    int64_t end = *size;
    char magic[3];
    if (end >= 128 && file.Read(end - 128, magic, 3) && std::memcmp(magic, "TAG", 3) == 0) end -= 128;
    constexpr int64_t kFooter = 32;
    unsigned char footer[kFooter];
    if (end < kFooter || !file.Read(end - kFooter, footer, kFooter) || std::memcmp(footer, "APETAGEX", 8) != 0)
        return end;
    const int64_t items = Le32(footer + 12);  // the items and the footer, without a header
    const bool hasHeader = Le32(footer + 20) & 0x80000000u;
    const int64_t total = items + (hasHeader ? kFooter : 0);
    if (items < kFooter || total > end) return std::nullopt;
    const int64_t start = end - total;
    char header[8];
    if (hasHeader && (!file.Read(start, header, 8) || std::memcmp(header, "APETAGEX", 8) != 0)) return std::nullopt;
    return start;
}

AudioMatch CompareBytesBeforeTags(const std::string& originalPath, const std::string& copyPath)
{
    const RawFile original(originalPath), copy(copyPath);
    const std::optional<int64_t> end = AudioEnd(original), copyEnd = AudioEnd(copy);
    if (!end || *end <= 0) return AudioMatch::Unreadable;
    if (!copyEnd || *copyEnd != *end) return AudioMatch::Differs;
    std::vector<char> a(1 << 20), b(1 << 20);
    for (int64_t at = 0; at < *end;) {
        const size_t n = size_t(std::min<int64_t>(int64_t(a.size()), *end - at));
        if (!original.Read(at, a.data(), n)) return AudioMatch::Unreadable;
        if (!copy.Read(at, b.data(), n) || std::memcmp(a.data(), b.data(), n) != 0) return AudioMatch::Differs;
        at += int64_t(n);
    }
    return AudioMatch::Same;
}

} // namespace

AudioMatch CompareAudio(const std::string& original, const std::string& copy)
{
    PacketReader a, b;
    if (!a.Open(original)) return AudioMatch::Unreadable;
    if (TakesTagsAsAudio(a.Demuxer())) return CompareBytesBeforeTags(original, copy);
    if (!b.Open(copy) || std::strcmp(a.Demuxer(), b.Demuxer()) != 0) return AudioMatch::Differs;
    return ComparePackets(a, b);
}

} // namespace snd
