// ZSTREAM and the gzip helper.  Both loop until zlib has taken all input and given all output:
// a compressed tail longer than one block must never be cut off, and a gzip copy is reported as
// done only when every byte reached the file.
#include "kestar/base/zstream.h"

#include <cstdio>
#include <cstring>

#include "kestar/base/logit.h"

namespace {

const unsigned kBlockSize = 4096;

// Appends the bytes that the last deflate call put into block to out.
void AppendProduced(const unsigned char *block, const z_stream &stream, STRING &out)
{
    const unsigned produced = kBlockSize - stream.avail_out;
    if (produced > 0) {
        out.Append(reinterpret_cast<const char *>(block), static_cast<int>(produced));
    }
}

} // namespace

ZSTREAM::ZSTREAM()
{
    std::memset(&Stream, 0, sizeof Stream);
    Pending = 0;
    Active = 0;
}

ZSTREAM::~ZSTREAM()
{
    Close();
}

bool ZSTREAM::Init(int level)
{
    Reset();
    if (deflateInit(&Stream, level) != Z_OK) {
        LOGIT::Printf("ZSTREAM::Init level %d failed: %s\n", level, Stream.msg ? Stream.msg : "-");
        std::memset(&Stream, 0, sizeof Stream);
        return false;
    }
    Active = 1;
    return true;
}

bool ZSTREAM::Write(const void *data, unsigned len, STRING &out)
{
    if (!Active) {
        LOGIT::Printf("ZSTREAM::Write without an active stream\n");
        return false;
    }
    unsigned char block[kBlockSize];
    Stream.next_in = static_cast<Bytef *>(const_cast<void *>(data));
    Stream.avail_in = len;
    Pending = 1;
    // Until zlib has taken every input byte and no longer fills a whole block.
    do {
        Stream.next_out = block;
        Stream.avail_out = kBlockSize;
        int rc = deflate(&Stream, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            LOGIT::Printf("ZSTREAM::Write deflate failed: %d\n", rc);
            return false;
        }
        AppendProduced(block, Stream, out);
        if (rc == Z_BUF_ERROR) {
            break; // nothing left to do: no input and no output due
        }
    } while (Stream.avail_in > 0 || Stream.avail_out == 0);
    return true;
}

void ZSTREAM::Reset()
{
    if (Active) {
        deflateEnd(&Stream);
    }
    std::memset(&Stream, 0, sizeof Stream);
    Pending = 0;
    Active = 0;
}

bool ZSTREAM::Finish(STRING &out)
{
    if (!Active) {
        LOGIT::Printf("ZSTREAM::Finish without an active stream\n");
        Pending = 0;
        return false;
    }
    unsigned char block[kBlockSize];
    bool ended = false;
    for (;;) {
        Stream.next_out = block;
        Stream.avail_out = kBlockSize;
        int rc = deflate(&Stream, Z_FINISH);
        AppendProduced(block, Stream, out);
        if (rc == Z_STREAM_END) {
            ended = true;
            break;
        }
        // Z_OK: the block was filled and more output is due.  Z_BUF_ERROR with a fresh block
        // means no progress is possible; anything else is an error of the stream itself.
        if (rc != Z_OK) {
            LOGIT::Printf("ZSTREAM::Finish deflate failed: %d\n", rc);
            break;
        }
    }
    End();
    return ended;
}

void ZSTREAM::End()
{
    if (Active) {
        deflateEnd(&Stream);
        Active = 0;
    }
    Pending = 0;
}

void ZSTREAM::Close()
{
    if (Pending && Active) {
        STRING scratch;
        Finish(scratch);
    }
    End();
}

namespace ORVAKAPP {

bool GzipFile(const char *source, const char *target)
{
    LOGIT::Printf("ORVAKAPP::GzipFile %s -> %s\n", source ? source : "<null>", target ? target : "<null>");
    if (source == nullptr || target == nullptr) {
        return false;
    }
    std::FILE *in = std::fopen(source, "rb");
    if (in == nullptr) {
        LOGIT::Printf("ORVAKAPP::GzipFile cannot open %s\n", source);
        return false;
    }
    // Only a file made by this call is removed on failure, never one that was there before (it
    // may be a device or somebody else's file that merely refused the data).
    std::FILE *probe = std::fopen(target, "rb");
    const bool existed = probe != nullptr;
    if (probe != nullptr) {
        std::fclose(probe);
    }
    gzFile out = gzopen(target, "wb");
    if (out == nullptr) {
        LOGIT::Printf("ORVAKAPP::GzipFile cannot create %s\n", target);
        std::fclose(in);
        return false;
    }
    bool ok = true;
    long long total = 0;
    unsigned char block[kBlockSize];
    for (;;) {
        size_t got = std::fread(block, 1, sizeof block, in);
        if (got > 0) {
            if (gzwrite(out, block, static_cast<unsigned>(got)) != static_cast<int>(got)) {
                int code = 0;
                const char *text = gzerror(out, &code);
                LOGIT::Printf("ORVAKAPP::GzipFile write failed after %lld bytes: %d %s\n", total, code,
                              text ? text : "-");
                ok = false;
                break;
            }
            total += static_cast<long long>(got);
        }
        if (got < sizeof block) {
            if (std::ferror(in)) {
                LOGIT::Printf("ORVAKAPP::GzipFile read of %s failed after %lld bytes\n", source, total);
                ok = false;
            }
            break;
        }
    }
    std::fclose(in);
    // gzclose flushes the last compressed block: its result counts as much as every write.
    int rc = gzclose(out);
    if (rc != Z_OK) {
        LOGIT::Printf("ORVAKAPP::GzipFile gzclose failed: %d\n", rc);
        ok = false;
    }
    if (!ok && !existed) {
        std::remove(target);
    }
    LOGIT::Printf("ORVAKAPP::GzipFile returns ok= %d, %lld bytes\n", ok ? 1 : 0, total);
    return ok;
}

} // namespace ORVAKAPP
