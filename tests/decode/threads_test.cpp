// The decoders on four threads at once, each thread decoding its own
// images: GIF streams in both forms (with and without a length), as colour
// and as alpha planes, every frame; JPEG into every kind of surface. Every
// byte each thread gets must equal what one thread alone got.
//
// KV_THREAD_ROUNDS=N sets how many times each thread goes through the list
// (default 50).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/decode/decode_util.h"
#include "tests/common/testsurf.h"

using namespace kvtest;

namespace {

typedef std::vector<uint8_t> Bytes;

enum JobType { kGif, kGifAlpha, kJpeg };

struct Job {
    JobType type;
    int file;      // index into the file list
    bool bounded;  // GIF: the forms with a length
    int kind;
    std::string Name(const std::vector<std::string> &names) const {
        std::string n = names[size_t(file)];
        n += type == kGifAlpha ? " alpha" : "";
        n += type != kJpeg && !bounded ? " without length" : "";
        return n + " into " + KindName(kind);
    }
};

void Put(Bytes &out, const void *p, size_t n) {
    const uint8_t *b = static_cast<const uint8_t *>(p);
    out.insert(out.end(), b, b + n);
}
void PutInt(Bytes &out, long v) { Put(out, &v, sizeof v); }

// Everything one decode leaves behind: each call's result, the size words,
// the surface's whole memory (guards and padding included) and its palette
// after every frame.
Bytes Decode(const Job &j, Bytes &file) {
    Bytes out;
    unsigned char *data = file.data();
    const long length = long(file.size());
    if (j.type == kJpeg) {
        TSurfDesc info{};
        PutInt(out, LoadInfoJPG(info, data, length));
        TestSurface s(j.kind, info.width, info.height, 3);
        s.Fill(0x5C);
        PutInt(out, LoadJPG(s.desc, data, length));
        Put(out, s.Memory().data(), s.Memory().size());
        Put(out, s.palette, sizeof s.palette);
        return out;
    }
    const bool alpha = j.type == kGifAlpha;
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    bool open;
    if (j.bounded)
        open = alpha ? LoadInfoGIFAlpha(info, data, length, gif, raw) : LoadInfoGIF(info, data, length, gif, raw);
    else
        open = alpha ? LoadInfoGIFAlpha(info, data, gif, raw) : LoadInfoGIF(info, data, gif, raw);
    PutInt(out, open);
    PutInt(out, info.width);
    PutInt(out, info.height);
    TestSurface s(j.kind, info.width, info.height, 2);
    s.Fill(0x3B);
    for (int frame = 0; frame < 100; ++frame) {
        const bool next = alpha ? LoadGIFAlphaNext(s.desc, data, gif, raw) : LoadGIFNext(s.desc, data, gif, raw);
        PutInt(out, next);
        if (!next) break;
        PutInt(out, alpha ? LoadGIFAlpha(s.desc, data, gif, raw) : LoadGIF(s.desc, data, gif, raw));
        PutInt(out, raw.width);
        PutInt(out, raw.height);
        Put(out, s.Memory().data(), s.Memory().size());
        Put(out, s.palette, sizeof s.palette);
        Put(out, raw.palette, sizeof raw.palette);
    }
    PutInt(out, alpha ? LoadGIFAlphaEnd(s.desc, data, gif, raw) : LoadGIFEnd(s.desc, data, gif, raw));
    return out;
}

// Frames of an open stream into a fresh surface: every result and the
// surface's memory after each frame.
Bytes Frames(Bytes &file, CKVGIF &gif, RAW &raw, int w, int h) {
    Bytes out;
    TestSurface s(32, w, h, 1);
    s.Fill(0x3B);
    for (int frame = 0; frame < 100; ++frame) {
        const bool next = LoadGIFNext(s.desc, file.data(), gif, raw);
        PutInt(out, next);
        if (!next) break;
        PutInt(out, LoadGIF(s.desc, file.data(), gif, raw));
        Put(out, s.Memory().data(), s.Memory().size());
    }
    return out;
}

// A stream opened on one thread and read on another (the hand-over orders
// the calls): read as on the opening thread, in both forms; a stream cut
// short stops at its end (ASan sees the exact-size copy).
TEST(DecodeThreads, StreamOpenedOnOneThreadIsReadOnAnother) {
    const Bytes full = ReadFile(DataPath("gif/anim_local.gif"));
    ASSERT_FALSE(full.empty());
    for (size_t n : {full.size(), full.size() / 2}) {
        for (bool bounded : {true, false}) {
            if (!bounded && n < full.size()) continue;  // without a length the stream must be whole
            Bytes file(full.begin(), full.begin() + long(n));
            Bytes want, got;
            for (int pass = 0; pass < 2; ++pass) {
                CKVGIF gif{};
                RAW raw{};
                TSurfDesc info{};
                ASSERT_TRUE(bounded ? LoadInfoGIF(info, file.data(), long(file.size()), gif, raw)
                                    : LoadInfoGIF(info, file.data(), gif, raw));
                if (pass == 0) {
                    want = Frames(file, gif, raw, info.width, info.height);
                } else {
                    std::thread([&] { got = Frames(file, gif, raw, info.width, info.height); }).join();
                }
                LoadGIFEnd(info, file.data(), gif, raw);
            }
            EXPECT_EQ(got, want) << "length " << n << (bounded ? " given" : " not given");
            EXPECT_GT(want.size(), 100u);
        }
    }
}

// The stream's end stays with its record: a stream cut short and handed to
// another thread after a second stream was opened (on the first thread or
// on the reading one, with or without a length) still stops at its end.
TEST(DecodeThreads, HandedOverAfterAnotherStreamWasOpened) {
    const Bytes full = ReadFile(DataPath("gif/anim_local.gif"));
    const Bytes other = ReadFile(DataPath("gif/still.gif"));
    ASSERT_FALSE(full.empty());
    ASSERT_FALSE(other.empty());
    Bytes file(full.begin(), full.begin() + long(full.size() / 2));
    Bytes want;
    TSurfDesc info{};
    {
        CKVGIF gif{};
        RAW raw{};
        ASSERT_TRUE(LoadInfoGIF(info, file.data(), long(file.size()), gif, raw));
        want = Frames(file, gif, raw, info.width, info.height);
        LoadGIFEnd(info, file.data(), gif, raw);
    }
    EXPECT_GT(want.size(), 100u);
    for (bool openedByReader : {false, true}) {
        for (bool otherBounded : {true, false}) {
            Bytes second = other;
            CKVGIF gif{}, gif2{};
            RAW raw{}, raw2{};
            TSurfDesc info2{};
            const auto openOther = [&] {
                return otherBounded ? LoadInfoGIF(info2, second.data(), long(second.size()), gif2, raw2)
                                    : LoadInfoGIF(info2, second.data(), gif2, raw2);
            };
            ASSERT_TRUE(LoadInfoGIF(info, file.data(), long(file.size()), gif, raw));
            bool opened = openedByReader || openOther();
            Bytes got;
            std::thread([&] {
                if (openedByReader) opened = openOther();
                got = Frames(file, gif, raw, info.width, info.height);
            }).join();
            EXPECT_TRUE(opened);
            EXPECT_EQ(got, want) << (openedByReader ? "opened by the reader" : "opened first")
                                 << (otherBounded ? ", with a length" : ", without");
            // The other stream is still whole to read.
            EXPECT_TRUE(LoadGIFNext(info2, second.data(), gif2, raw2));
            LoadGIFEnd(info2, second.data(), gif2, raw2);
            LoadGIFEnd(info, file.data(), gif, raw);
        }
    }
}

TEST(DecodeThreads, FourThreadsGiveTheSingleThreadBytes) {
    const std::vector<std::string> names = {
        "gif/anim_local.gif", "gif/anim_global.gif", "gif/interlaced.gif", "gif/lzw4096.gif", "gif/still.gif",
        "gif/pal256.gif",     "jpeg/base420.jpg",    "jpeg/prog420.jpg",   "jpeg/grey.jpg",   "jpeg/base444.jpg"};
    std::vector<Bytes> files;
    for (const std::string &n : names) {
        files.push_back(ReadFile(DataPath(n)));
        ASSERT_FALSE(files.back().empty()) << n;
    }
    std::vector<Job> jobs;
    for (int f = 0; f < int(names.size()); ++f) {
        if (names[size_t(f)].compare(0, 4, "gif/") == 0) {
            for (bool bounded : {true, false}) {
                for (int kind : {8, 16, 24, 32}) jobs.push_back(Job{kGif, f, bounded, kind});
                jobs.push_back(Job{kGifAlpha, f, bounded, 8});
            }
        } else {
            for (int kind : {8, 16, 19, 24, 32}) jobs.push_back(Job{kJpeg, f, true, kind});
        }
    }

    // One thread alone first.
    std::vector<Bytes> want;
    for (const Job &j : jobs) {
        Bytes copy = files[size_t(j.file)];
        want.push_back(Decode(j, copy));
    }

    const char *env = getenv("KV_THREAD_ROUNDS");
    const int rounds = env && atoi(env) > 0 ? atoi(env) : 50;
    constexpr int kThreads = 4;
    // Threads 0 and 2 read one copy of every file, 1 and 3 another: each
    // decode has its own surface and records, some share the stream bytes.
    std::vector<Bytes> copies[2] = {files, files};
    std::vector<std::vector<long>> differBy(kThreads, std::vector<long>(jobs.size(), 0));
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) std::this_thread::yield();
            const size_t n = jobs.size();
            for (size_t i = 0; i < size_t(rounds) * n; ++i) {
                // Each thread walks the list from its own place and in its
                // own stride, so that different decoders overlap.
                const size_t k = (i * (t % 2 ? 1 : n - 1) + size_t(t) * n / kThreads) % n;
                if (Decode(jobs[k], copies[t % 2][size_t(jobs[k].file)]) != want[k]) ++differBy[size_t(t)][k];
            }
        });
    }
    for (std::thread &th : threads) th.join();

    long total = 0, bad = 0, byType[3][2] = {};
    std::string which;
    for (size_t k = 0; k < jobs.size(); ++k) {
        long d = 0;
        for (int t = 0; t < kThreads; ++t) d += differBy[size_t(t)][k];
        total += long(kThreads) * rounds;
        bad += d;
        byType[jobs[k].type][0] += d;
        byType[jobs[k].type][1] += long(kThreads) * rounds;
        if (d) which += "\n  " + jobs[k].Name(names) + ": " + std::to_string(d);
    }
    printf(
        "[ threads  ] %ld of %ld decodes on %d threads differ from the single-thread bytes "
        "(GIF %ld of %ld, GIF alpha %ld of %ld, JPEG %ld of %ld)\n",
        bad, total, kThreads, byType[kGif][0], byType[kGif][1], byType[kGifAlpha][0], byType[kGifAlpha][1],
        byType[kJpeg][0], byType[kJpeg][1]);
    EXPECT_EQ(bad, 0) << bad << " of " << total << " decodes differ:" << which;
}

}  // namespace
