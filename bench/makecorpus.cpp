// Deterministic benchmark corpora, zipped with deflate and byte-split into
// NAME.zip, NAME(1).zip, … the way browsers save split downloads.
//
//   kestrune-makecorpus KIND OUTDIR [--scale S] [--parts N]
//
// KIND: small  (~50,000 files of 1–8 KiB in nested folders)
//       mixed  (~1 GiB: large text, incompressible blobs, medium files)
//       big    (one incompressible file of ~2 GiB)
//       many   (300,000 files of 16–256 bytes: a large directory, little data)
// --scale multiplies every count and size (0.01 makes a smoke-size corpus).

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// splitmix64: small, fast and the same on every machine.
class Random {
public:
    explicit Random(uint64_t seed)
        : m_state(seed) {}
    uint64_t next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    uint64_t below(uint64_t bound) { return next() % bound; }

private:
    uint64_t m_state;
};

struct ArchiveDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
using Writer = std::unique_ptr<archive, ArchiveDeleter>;

void fillText(Random& random, std::string& buffer, size_t size) {
    static const char* const words[] = {"split ", "archive ", "part ",  "merge ",    "extract ",
                                        "zip ",   "folder ",  "bytes ", "kestrune ", "deflate\n"};
    buffer.clear();
    while (buffer.size() < size)
        buffer += words[random.below(10)];
    buffer.resize(size);
}

void fillRandom(Random& random, std::string& buffer, size_t size) {
    buffer.resize(size);
    for (size_t i = 0; i + 8 <= size; i += 8) {
        const uint64_t value = random.next();
        std::memcpy(&buffer[i], &value, 8);
    }
}

bool addFile(archive* zip, const std::string& path, const std::string& contents) {
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                   archive_entry_free);
    archive_entry_set_pathname(entry.get(), path.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), la_int64_t(contents.size()));
    archive_entry_set_mtime(entry.get(), 1700000000, 0);
    if (archive_write_header(zip, entry.get()) != ARCHIVE_OK)
        return false;
    return archive_write_data(zip, contents.data(), contents.size()) == la_ssize_t(contents.size());
}

// Streams one large file through the writer without holding it in memory.
bool addLargeFile(archive* zip, Random& random, const std::string& path, uint64_t size, bool text) {
    std::unique_ptr<archive_entry, void (*)(archive_entry*)> entry(archive_entry_new(),
                                                                   archive_entry_free);
    archive_entry_set_pathname(entry.get(), path.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), la_int64_t(size));
    archive_entry_set_mtime(entry.get(), 1700000000, 0);
    if (archive_write_header(zip, entry.get()) != ARCHIVE_OK)
        return false;
    std::string chunk;
    for (uint64_t written = 0; written < size;) {
        const size_t length = size_t(std::min<uint64_t>(size - written, 1 << 20));
        text ? fillText(random, chunk, length) : fillRandom(random, chunk, length);
        if (archive_write_data(zip, chunk.data(), length) != la_ssize_t(length))
            return false;
        written += length;
    }
    return true;
}

bool writeSmall(archive* zip, Random& random, double scale) {
    const long count = std::max(1L, long(50000 * scale));
    std::string contents;
    for (long i = 0; i < count; ++i) {
        fillText(random, contents, 1024 + random.below(7 * 1024 + 1));
        char path[64];
        std::snprintf(path, sizeof path, "small/d%02ld/e%02ld/file%06ld.txt", i % 50, (i / 50) % 20,
                      i);
        if (!addFile(zip, path, contents))
            return false;
    }
    return true;
}

bool writeMany(archive* zip, Random& random, double scale) {
    const long count = std::max(1L, long(300000 * scale));
    std::string contents;
    for (long i = 0; i < count; ++i) {
        fillText(random, contents, 16 + random.below(241));
        char path[64];
        std::snprintf(path, sizeof path, "many/d%03ld/file%06ld.txt", i % 300, i);
        if (!addFile(zip, path, contents))
            return false;
    }
    return true;
}

bool writeMixed(archive* zip, Random& random, double scale) {
    const auto scaled = [scale](double bytes) { return uint64_t(std::max(1.0, bytes * scale)); };
    for (int i = 0; i < 4; ++i) {
        if (!addLargeFile(zip, random, "mixed/text/log" + std::to_string(i) + ".txt", scaled(100e6),
                          true))
            return false;
    }
    for (int i = 0; i < 20; ++i) {
        if (!addLargeFile(zip, random, "mixed/blobs/blob" + std::to_string(i) + ".bin",
                          scaled(20e6), false))
            return false;
    }
    const long medium = std::max(1L, long(1000 * scale));
    std::string contents;
    for (long i = 0; i < medium; ++i) {
        const size_t size = 100000 + random.below(200000);
        random.below(2) ? fillText(random, contents, size) : fillRandom(random, contents, size);
        if (!addFile(zip, "mixed/medium/m" + std::to_string(i) + ".dat", contents))
            return false;
    }
    return true;
}

// Cuts `combined` into `parts` pieces of near-equal size: NAME.zip, NAME(1).zip, …
bool split(const std::filesystem::path& combined, const std::filesystem::path& outDir,
           const std::string& name, int parts) {
    const uintmax_t total = std::filesystem::file_size(combined);
    const uintmax_t partSize = (total + uintmax_t(parts) - 1) / uintmax_t(parts);
    std::ifstream in(combined, std::ios::binary);
    std::vector<char> buffer(4 << 20);
    for (int part = 0; part < parts; ++part) {
        const std::string fileName =
            part == 0 ? name + ".zip" : name + "(" + std::to_string(part) + ").zip";
        std::ofstream out(outDir / fileName, std::ios::binary | std::ios::trunc);
        for (uintmax_t left =
                 std::min(partSize, total - std::min(total, partSize * uintmax_t(part)));
             left > 0;) {
            const size_t length = size_t(std::min<uintmax_t>(left, buffer.size()));
            if (!in.read(buffer.data(), std::streamsize(length)) ||
                !out.write(buffer.data(), std::streamsize(length)))
                return false;
            left -= length;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fputs(
            "usage: kestrune-makecorpus small|mixed|big|many OUTDIR [--scale S] [--parts N]\n",
            stderr);
        return 2;
    }
    const std::string kind = argv[1];
    const std::filesystem::path outDir = argv[2];
    double scale = 1.0;
    int parts = 4;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--scale")
            scale = std::stod(argv[i + 1]);
        else if (option == "--parts")
            parts = std::max(1, std::stoi(argv[i + 1]));
    }

    std::filesystem::create_directories(outDir);
    const std::filesystem::path combined = outDir / (kind + ".whole.zip");
    Writer zip(archive_write_new());
    archive_write_set_format_zip(zip.get());
    archive_write_set_options(zip.get(), "zip:compression=deflate");
    if (archive_write_open_filename(zip.get(), combined.c_str()) != ARCHIVE_OK) {
        std::fprintf(stderr, "kestrune-makecorpus: %s\n", archive_error_string(zip.get()));
        return 1;
    }

    Random random(0x4B657374);
    bool ok = false;
    if (kind == "small")
        ok = writeSmall(zip.get(), random, scale);
    else if (kind == "mixed")
        ok = writeMixed(zip.get(), random, scale);
    else if (kind == "many")
        ok = writeMany(zip.get(), random, scale);
    else if (kind == "big")
        ok = addLargeFile(zip.get(), random, "big/one.bin",
                          uint64_t(std::max(1.0, 2147483648.0 * scale)), false);
    else
        std::fprintf(stderr, "kestrune-makecorpus: unknown kind '%s'\n", kind.c_str());
    ok = ok && archive_write_close(zip.get()) == ARCHIVE_OK;
    if (!ok || !split(combined, outDir, kind, parts)) {
        std::fprintf(stderr, "kestrune-makecorpus: could not write the %s corpus\n", kind.c_str());
        return 1;
    }
    std::filesystem::remove(combined);
    return 0;
}
