// Writes a folder of generated ZIP archives, as a file echo's area holds
// them, for the scan benchmark (bench/scan_speed.sh):
//
//   make_archives [--descriptors] DIR COUNT [SEED]
//
// makes DIR (it must not exist) and COUNT archives in it, F0000001.ZIP on,
// each of three deflated members: PROG.EXE, 4 to 120 KiB of bytes that do
// not compress; READ.ME, 1 to 8 KiB of text; and FILE_ID.DIZ, 3 to 10 lines
// of up to 45 characters. The FILE_ID.DIZ comes first, second or last, in
// turn. Each member's sizes and CRC stand in its local header, as PKZIP
// writes them; with --descriptors they follow its data instead, as a writer
// that cannot seek back leaves them (libarchive's own output), so that a
// reader must inflate a member to pass it. Prints the archives' total bytes.
#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Random {
  uint64_t state;
  uint32_t next() {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<uint32_t>(state >> 33);
  }
  uint32_t between(uint32_t low, uint32_t high) { return low + next() % (high - low + 1); }
};

const char* const kWords[] = {"utility",    "fast",     "file", "archive", "DOS",    "shareware",
                              "the",        "for",      "with", "and",     "viewer", "editor",
                              "batch",      "menu",     "BBS",  "door",    "v1.2",   "(C)",
                              "Registered", "freeware", "all",  "new"};

std::string words_line(Random& r, size_t most) {
  std::string line;
  while (true) {
    std::string word = kWords[r.next() % (sizeof kWords / sizeof *kWords)];
    if (line.size() + 1 + word.size() > most) return line;
    if (!line.empty()) line += ' ';
    line += word;
  }
}

struct Member {
  const char* name;
  std::string bytes;
};

uint32_t get(const std::string& zip, size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(zip[at + i]);
  return value;
}

void put(std::string& zip, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) zip[at + i] = static_cast<char>(value >> (8 * i));
}

// The ZIP with each member's sizes and CRC moved from the data descriptor
// after its data into its local header, as PKZIP lays a member out.
std::string sizes_in_headers(const std::string& zip) {
  size_t end = zip.rfind(std::string("PK\x05\x06", 4));
  size_t central = get(zip, end + 16, 4), entries = get(zip, end + 10, 2);
  std::string out, directory;
  for (size_t at = central, i = 0; i < entries; ++i) {
    size_t header_size = 46 + get(zip, at + 28, 2) + get(zip, at + 30, 2) + get(zip, at + 32, 2);
    std::string header = zip.substr(at, header_size);
    size_t local = get(header, 42, 4), csize = get(header, 20, 4);
    size_t local_size = 30 + get(zip, local + 26, 2) + get(zip, local + 28, 2);
    std::string member = zip.substr(local, local_size + csize);
    put(member, 6, get(member, 6, 2) & ~8u, 2);  // no data descriptor
    member.replace(14, 12, header, 16, 12);      // CRC, compressed and full size
    put(header, 8, get(header, 8, 2) & ~8u, 2);
    put(header, 42, static_cast<uint32_t>(out.size()), 4);
    out += member;
    directory += header;
    at += header_size;
  }
  std::string tail = zip.substr(end);
  put(tail, 12, static_cast<uint32_t>(directory.size()), 4);
  put(tail, 16, static_cast<uint32_t>(out.size()), 4);
  return out + directory + tail;
}

bool write_archive(const std::string& path, const std::vector<Member>& members, bool descriptors) {
  size_t capacity = 64 * 1024, used = 0;
  for (const Member& m : members) capacity += m.bytes.size() + m.bytes.size() / 8 + 1024;
  std::string zip(capacity, '\0');
  struct archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  bool ok = archive_write_open_memory(a, zip.data(), zip.size(), &used) == ARCHIVE_OK;
  for (const Member& m : members) {
    if (!ok) break;
    struct archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.name);
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 760'000'000, 0);
    archive_entry_set_size(e, static_cast<la_int64_t>(m.bytes.size()));
    ok = archive_write_header(a, e) == ARCHIVE_OK &&
         archive_write_data(a, m.bytes.data(), m.bytes.size()) ==
             static_cast<la_ssize_t>(m.bytes.size());
    archive_entry_free(e);
  }
  ok = archive_write_close(a) == ARCHIVE_OK && ok;
  if (!ok) fprintf(stderr, "make_archives: %s: %s\n", path.c_str(), archive_error_string(a));
  archive_write_free(a);
  zip.resize(used);
  if (!descriptors) zip = sizes_in_headers(zip);
  FILE* file = ok ? fopen(path.c_str(), "wb") : nullptr;
  ok = file != nullptr && fwrite(zip.data(), 1, zip.size(), file) == zip.size();
  if (file != nullptr) ok = fclose(file) == 0 && ok;
  if (!ok) perror(path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  bool descriptors = argc > 1 && std::string(argv[1]) == "--descriptors";
  argc -= descriptors;
  argv += descriptors;
  if (argc < 3 || argc > 4) {
    fprintf(stderr, "usage: make_archives [--descriptors] DIR COUNT [SEED]\n");
    return 2;
  }
  std::string dir = argv[1];
  long count = strtol(argv[2], nullptr, 10);
  Random r{argc > 3 ? strtoull(argv[3], nullptr, 10) : 1};
  if (mkdir(dir.c_str(), 0755) != 0) {
    perror(dir.c_str());
    return 2;
  }
  int64_t total = 0;
  for (long i = 1; i <= count; ++i) {
    Member prog{"PROG.EXE", std::string(r.between(4, 120) * 1024, '\0')};
    for (char& c : prog.bytes) c = static_cast<char>(r.next() >> 24);
    Member readme{"READ.ME", {}};
    for (uint32_t size = r.between(1, 8) * 1024; readme.bytes.size() < size;)
      readme.bytes += words_line(r, 70) + "\r\n";
    Member diz{"FILE_ID.DIZ", {}};
    for (uint32_t lines = r.between(3, 10); lines > 0; --lines)
      diz.bytes += words_line(r, 45) + "\r\n";
    std::vector<Member> members{prog, readme};
    members.insert(members.begin() + i % 3, diz);
    char name[32];
    snprintf(name, sizeof name, "/F%07ld.ZIP", i);
    if (!write_archive(dir + name, members, descriptors)) return 1;
    struct stat st {};
    stat((dir + name).c_str(), &st);
    total += st.st_size;
  }
  printf("%lld\n", static_cast<long long>(total));
  return 0;
}
