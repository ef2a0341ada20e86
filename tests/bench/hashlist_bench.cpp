// Speed of the list text form on a phone book: HASHLIST::ToString, HASHLIST::Save,
// HASHLIST::Load and HASHLIST::FromString on generated caller records, beside the time to merely
// read the same file and split it into lines.  Prints figures (the best of three rounds each) and
// fails nothing but a broken round trip.  Two sizes are measured, so a cost that grows faster than
// the number of records shows as a falling records/s figure.
//
//   hashlist_bench [records]      (default 50000; the smaller run uses a quarter of it)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kestar/base/atomicfile.h"
#include "kestar/base/hashlist.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A caller record as the phone book holds it: all 18 names present, about 15 of them filled in,
// now and then a value that needs escapes (an umlaut, an "=", a line break, a backslash).
void SetCallerValues(HASH &h, int i)
{
    char text[96];
    std::snprintf(text, sizeof text, "Caller %d %s", i, (i % 7 == 0) ? "M\xfcller" : "Smith");
    h["Name"] = text;
    std::snprintf(text, sizeof text, "+49 30 %07d", i);
    h["Number"] = text;
    std::snprintf(text, sizeof text, "+49 30 %07d-9", i);
    h["NumberFax"] = (i % 3) ? text : "";
    std::snprintf(text, sizeof text, "+49 171 %07d", i * 7 % 10000000);
    h["NumberMobile"] = text;
    std::snprintf(text, sizeof text, "+49 30 %07d-100", i);
    h["NumberOffice"] = text;
    h["NumberData"] = "";
    std::snprintf(text, sizeof text, (i % 10 == 0) ? "VIP=yes\nsecond line" : "customer since %d", 1990 + i % 30);
    h["Comment"] = text;
    h["Blink"] = (i % 5 == 0) ? "1" : "0";
    h["Sound"] = (i % 4 == 0) ? "C:\\Sounds\\ring.wav" : "";
    h["RunProg"] = "";
    h["NoPopup"] = "0";
    h["AutoReject"] = (i % 50 == 0) ? "1" : "0";
    h["CustomIcon"] = "0";
    h["Vip"] = (i % 10 == 0) ? "1" : "0";
    h["FonDoAnnouncement"] = "0";
    h["FonAnnouncement"] = "announce.wav";
    h["FonDoImmediateHookup"] = "0";
    h["FonNoRecordingAllowed"] = "0";
    h.Handle = static_cast<uint32_t>(i + 1);
}

// The same record from its text form, as a list arrives from the server.
HASH CallerFromText(int i)
{
    char fax[32] = "", comment[64], text[1024];
    if (i % 3)
        std::snprintf(fax, sizeof fax, "+49 30 %07d-9", i);
    if (i % 10 == 0)
        std::snprintf(comment, sizeof comment, "VIP\\x3dyes\\nsecond line");
    else
        std::snprintf(comment, sizeof comment, "customer since %d", 1990 + i % 30);
    std::snprintf(text, sizeof text,
                  "#Handle=%d\nName=Caller %d %s\nNumber=+49 30 %07d\nNumberFax=%s\n"
                  "NumberMobile=+49 171 %07d\nNumberOffice=+49 30 %07d-100\nNumberData=\nComment=%s\n"
                  "Blink=%d\nSound=%s\nRunProg=\nNoPopup=0\nAutoReject=%d\nCustomIcon=0\nVip=%d\n"
                  "FonDoAnnouncement=0\nFonAnnouncement=announce.wav\nFonDoImmediateHookup=0\n"
                  "FonNoRecordingAllowed=0\n",
                  i + 1, i, (i % 7 == 0) ? "M\\xfcller" : "Smith", i, fax, i * 7 % 10000000, i, comment,
                  (i % 5 == 0) ? 1 : 0, (i % 4 == 0) ? "C:\\\\Sounds\\\\ring.wav" : "", (i % 50 == 0) ? 1 : 0,
                  (i % 10 == 0) ? 1 : 0);
    return HASH(text);
}

// A few records are built both ways and must agree, so the generator stays honest.
bool GeneratorAgrees()
{
    for (int i = 0; i < 40; i++) {
        HASH a;
        SetCallerValues(a, i);
        HASH b = CallerFromText(i);
        STRING ta = a.ToString(), tb = b.ToString();
        if (ta.StrLen != tb.StrLen || std::memcmp(ta.Buffer, tb.Buffer, static_cast<size_t>(ta.StrLen)) != 0) {
            std::printf("generator mismatch at %d:\n%s\n--\n%s\n", i, ta.Buffer, tb.Buffer);
            return false;
        }
    }
    return true;
}

// The floor: read the whole file with the C library and split it into lines, nothing more.
size_t ReadAndSplit(const char *path, size_t *bytes)
{
    std::FILE *f = std::fopen(path, "rb");
    if (!f)
        return 0;
    // Sized from the file, as the list reader sizes its buffer: grown by doubling, the text and
    // the line table would pass 32 MB, which the C library takes fresh from the system every
    // round, and on a loaded virtual machine fresh pages cost more than the reading.  Both are
    // kept from round to round, as the records' memory is (the C library's heap natively, the
    // records' own pool on Windows): every round after the first pays no fresh pages on either
    // side.
    std::fseek(f, 0, SEEK_END);
    long size = std::ftell(f);
    std::fseek(f, 0, SEEK_SET);
    static std::string data;
    static std::vector<std::pair<const char *, size_t>> lines;
    data.clear();
    lines.clear();
    data.reserve(size > 0 ? static_cast<size_t>(size) : 0);
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.append(buffer, n);
    std::fclose(f);
    lines.reserve(data.size() / 16);
    const char *p = data.data(), *end = p + data.size();
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char *e = nl ? nl : end;
        lines.emplace_back(p, static_cast<size_t>(e - p));
        p = nl ? nl + 1 : end;
    }
    *bytes = data.size();
    return lines.size();
}

// One result line for the closing table of tools/bench.sh (tests/bench/README.md).
void Bench(const char *what, int records, double seconds, double floorSeconds)
{
    if (floorSeconds > 0)
        std::printf("BENCH HASHLIST::%s %d records | %.3f s | %.3f s | %.2f | ratio <= 3\n", what, records, seconds,
                    floorSeconds, seconds / floorSeconds);
}

void Row(const char *what, double seconds, size_t bytes, int records)
{
    std::printf("  %-34s %8.3f s %9.1f MB/s %11.0f records/s\n", what, seconds,
                seconds > 0 ? bytes / seconds / 1e6 : 0.0, seconds > 0 ? records / seconds : 0.0);
}

// Every measure is taken kRounds times and the best time counts, for ours and for the floor
// alike: the first round pays for fresh memory pages (on a loaded virtual machine that alone can
// take seconds) and the machine is shared, so the best round is the one that shows the code.  The
// measures of the text form take their turns round after round, floor included: a shared machine
// that is slower for a while is slower for all of them, not for the one measured then.
const int kRounds = 5;

bool SameText(const STRING &a, const STRING &b)
{
    return a.StrLen == b.StrLen && std::memcmp(a.Buffer, b.Buffer, static_cast<size_t>(a.StrLen)) == 0;
}

// bench: print the result lines of this run.
bool Run(int records, const char *path, bool bench)
{
    std::printf("%d caller records (best of %d rounds):\n", records, kRounds);
    std::unique_ptr<HASHLIST> book;
    double buildSeconds = 1e30;
    for (int round = 0; round < kRounds; round++) {
        book.reset(); // the last round's memory is free again before the next takes it
        book.reset(new HASHLIST());
        double t0 = Now();
        for (int i = 0; i < records; i++)
            book->AddItem(CallerFromText(i));
        buildSeconds = std::min(buildSeconds, Now() - t0);
    }
    std::printf("  %-34s %8.3f s\n", "generate (AddItem)", buildSeconds);

    // The text and the file that the rounds read, and the file's bytes for the row that shows
    // what of Save is the file itself: the same bytes written under a temporary name, flushed to
    // disk and renamed, as Save does it.
    STRING text = book->ToString();
    size_t textBytes = static_cast<size_t>(text.StrLen);
    int saved = book->Save(path);
    if (saved != records) {
        std::printf("HASHLIST::Save failed (%d)\n", saved);
        return false;
    }
    std::string bytes;
    {
        std::FILE *f = std::fopen(path, "rb");
        char buffer[65536];
        size_t got;
        while (f && (got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            bytes.append(buffer, got);
        if (f)
            std::fclose(f);
    }

    bool ok = true;
    size_t fileBytes = 0, lines = 0;
    double floorSeconds = 1e30, toStringSeconds = 1e30, saveSeconds = 1e30, writeSeconds = 1e30;
    double loadSeconds = 1e30, fromStringSeconds = 1e30;
    for (int round = 0; round < kRounds; round++) {
        bool last = round + 1 == kRounds;
        double t0 = Now();
        lines = ReadAndSplit(path, &fileBytes);
        floorSeconds = std::min(floorSeconds, Now() - t0);

        text.Free();
        t0 = Now();
        text = book->ToString();
        toStringSeconds = std::min(toStringSeconds, Now() - t0);

        t0 = Now();
        saved = book->Save(path);
        saveSeconds = std::min(saveSeconds, Now() - t0);
        if (saved != records) {
            std::printf("HASHLIST::Save failed (%d)\n", saved);
            return false;
        }

        int error = 0;
        t0 = Now();
        ok = ok && ATOMICFILE::WriteReplace(path, bytes.data(), bytes.size(), &error);
        writeSeconds = std::min(writeSeconds, Now() - t0);

        {
            std::unique_ptr<HASHLIST> loaded(new HASHLIST());
            t0 = Now();
            int n = loaded->Load(path);
            loadSeconds = std::min(loadSeconds, Now() - t0);
            ok = ok && n == records && (!last || SameText(loaded->ToString(), text));
        }

        {
            std::unique_ptr<HASHLIST> parsed(new HASHLIST());
            t0 = Now();
            int m = parsed->FromString(text);
            fromStringSeconds = std::min(fromStringSeconds, Now() - t0);
            ok = ok && m == records && (!last || SameText(parsed->ToString(), text));
        }
    }
    Row("HASHLIST::ToString", toStringSeconds, textBytes, records);
    Row("HASHLIST::Save", saveSeconds, textBytes, records);
    Row("  of it: writing, flushing the file", writeSeconds, bytes.size(), records);
    Row("read file and split lines (floor)", floorSeconds, fileBytes, records);
    Row("HASHLIST::Load", loadSeconds, fileBytes, records);
    Row("HASHLIST::FromString", fromStringSeconds, textBytes, records);

    std::printf("  %zu bytes of text, %zu bytes and %zu lines in the file\n", textBytes, fileBytes, lines);
    std::printf("  round trip %s\n", ok ? "ok" : "MISMATCH");
    if (ok && bench) {
        std::printf("BENCH HASHLIST::AddItem build %d records | %.3f s | - | - | < 0.5 s\n", records, buildSeconds);
        Bench("Load", records, loadSeconds, floorSeconds);
        Bench("FromString", records, fromStringSeconds, floorSeconds);
        Bench("ToString", records, toStringSeconds, floorSeconds);
        Bench("Save", records, saveSeconds, floorSeconds);
    }
    std::remove(path);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
#if defined(__GLIBC__)
    // Freed memory stays in the heap for the next round, for ours and the floor alike: blocks
    // of up to 32 MB would otherwise be fresh pages from the system each time, and on a loaded
    // virtual machine the first touch of fresh pages costs more than the work measured.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    int records = argc > 1 ? std::atoi(argv[1]) : 50000;
    if (records < 4)
        records = 4;
    const char *path = "hashlist_bench.ini";
#if defined(_WIN32)
    std::printf("hashlist_bench (%d-bit Windows build)\n", static_cast<int>(sizeof(void *) * 8));
#else
    std::printf("hashlist_bench (%d-bit native build)\n", static_cast<int>(sizeof(void *) * 8));
#endif
    bool ok = GeneratorAgrees() && Run(records / 4, path, false) && Run(records, path, true);
    return ok ? 0 : 1;
}
