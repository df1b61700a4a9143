// Writes a few small, valid zips into a folder, as a starting corpus for the
// extractor's fuzz target: a mutated real archive reaches far deeper into the
// reader than random bytes do.
//
//   kestrune-fuzzseeds FOLDER

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

struct Entry {
    const char* name;
    const char* data; // a link's target for links
    unsigned type;
};

bool writeZip(const std::filesystem::path& path, const char* options,
              std::initializer_list<Entry> entries) {
    std::unique_ptr<archive, decltype(&archive_write_free)> zip(archive_write_new(),
                                                                archive_write_free);
    archive_write_set_format_zip(zip.get());
    archive_write_set_options(zip.get(), options);
    if (archive_write_open_filename(zip.get(), path.c_str()) != ARCHIVE_OK)
        return false;
    for (const Entry& item : entries) {
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                            archive_entry_free);
        archive_entry_set_pathname(entry.get(), item.name);
        archive_entry_set_filetype(entry.get(), item.type);
        archive_entry_set_perm(entry.get(), item.type == AE_IFDIR ? 0755 : 0644);
        const std::string data = item.type == AE_IFREG ? item.data : "";
        if (item.type == AE_IFLNK)
            archive_entry_set_symlink(entry.get(), item.data);
        archive_entry_set_size(entry.get(), la_int64_t(data.size()));
        if (archive_write_header(zip.get(), entry.get()) != ARCHIVE_OK)
            return false;
        archive_write_data(zip.get(), data.data(), data.size());
    }
    return archive_write_close(zip.get()) == ARCHIVE_OK;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const bool ok =
        writeZip(folder / "stored.zip", "zip:compression=store",
                 {{"a.txt", "hello", AE_IFREG},
                  {"dir/", "", AE_IFDIR},
                  {"dir/b.txt", "world", AE_IFREG}}) &&
        writeZip(folder / "deflate.zip", "zip:compression=deflate",
                 {{"text.txt", "kestrune kestrune kestrune kestrune", AE_IFREG},
                  {"link", "text.txt", AE_IFLNK}}) &&
        writeZip(folder / "zip64.zip", "zip:zip64", {{"big/name.bin", "0123456789", AE_IFREG}});
    return ok ? 0 : 1;
}
